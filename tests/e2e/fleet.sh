# The package's playbook over three print servers, each in namespaces of its own with its own scheduler,
# queues and sshd (tests/sandbox/host), driven over ssh from the sandbox: host1 has queues on the package's
# older PPDs, host2 has no foomatic-rip, host3 already has the current installation and no old queues; host4
# is an address where nothing answers, in the second batch. Outcomes are read from the rollout report.

HOST=$ORVO_SOURCE_DIR/tests/sandbox/host

# Runs lib.sh commands on host N.
on_host() {
  "$HOST" run "$1" bash -c "set -euo pipefail; source $ORVO_SOURCE_DIR/tests/sandbox/lib.sh; $2"
}

start_fleet() {
  local n
  "$HOST" keys
  echo '[print_servers]' >/tmp/inventory
  for n in 1 2 3; do
    "$HOST" start "$n"
    # The scheduler writes its configuration at once, not up to 30 s later in the middle of a check.
    on_host "$n" 'echo "DirtyCleanInterval 0" >>/etc/cups/cupsd.conf; start_cupsd; container_service_manager'
    echo "host$n ansible_host=10.200.$n.2" >>/tmp/inventory
  done
  echo "host4 ansible_host=10.200.4.2" >>/tmp/inventory
  printf '%s\n' '[print_servers:vars]' ansible_user=root ansible_ssh_private_key_file=/root/fleet/id \
    "ansible_ssh_common_args='-o UserKnownHostsFile=/root/fleet/known_hosts'" >>/tmp/inventory
  on_host 1 'make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble
    make_old_queue studio 91 ps 1.5 ColorModel=Gray Resolution=1200dpi; save_ppds'
  on_host 2 'remove_command foomatic-rip /usr/lib/cups/filter/foomatic-rip'
  on_host 3 'unpack_package; run_package_setup; assert_clean_finish'
}

# Runs the playbook with its shipped batches; prints each host's outcome from the report's CSV.
playbook() {
  rm -rf /tmp/report
  (cd "$ORVO_SOURCE_DIR/package/ansible" && HOME=/tmp/controller ansible-playbook -i /tmp/inventory -f 3 \
    -e "orvo_package=$ORVO_BUILD_DIR/dist/orvo-4.0-0.tar.gz" -e orvo_report_dir=/tmp/report site.yml "$@") \
    >/tmp/playbook.out 2>&1 || true
  tail -n +2 /tmp/report/*.csv | cut -d, -f1,2 | tr , ' '
}

# What setup may touch on host N, with checksums.
host_files() {
  on_host "$1" 'for dir in /etc/cups /opt/vyr /var/log; do
    [[ ! -e $dir ]] || find "$dir" -printf "%p %y %m %u %g %s %l\n" -type f -exec sha256sum {} +; done | sort'
}

case_playbook_rolls_out_previews_and_rolls_back() {
  start_fleet
  local n
  for n in 1 2 3; do host_files "$n" >"/tmp/files$n"; done
  assert_eq "$(playbook --check)" $'host1 would change\nhost2 failed\nhost3 ok\nhost4 not reached' "check outcomes"
  assert_contains "$(cat /tmp/report/*.csv)" 'host1,would change,installed,"would refresh: office, studio",'
  for n in 1 2 3; do assert_eq "$(host_files "$n")" "$(cat "/tmp/files$n")" "files of host$n after --check"; done

  local outcomes=$'host1 changed\nhost2 failed\nhost3 ok\nhost4 not reached'
  assert_eq "$(playbook)" "$outcomes" "outcomes"
  assert_eq "$(cd /tmp/report && ls)" "$(cd /tmp/report && ls orvo-rollout-*Z.csv orvo-rollout-*Z.html)" "reports"
  # The page as a browser shows it, with no network: its rows, and no resource referenced from anywhere.
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --user-data-dir="$(mktemp -d)" \
    --dump-dom /tmp/report/*.html >/tmp/dom.html 2>/dev/null
  assert_eq "$(sed -n 's|^<tr class="[^"]*"><td>\(host.\)</td><td class="outcome">\([^<]*\)<.*|\1 \2|p' \
    /tmp/dom.html)" "$outcomes" "rows of the rendered report"
  assert_contains "$(grep '<td>host2</td>' /tmp/dom.html)" "foomatic-rip"
  assert_eq "$(grep -Eic '(src|href)=|url\(|@import' /tmp/report/*.html || true)" 0 "references to resources"
  on_host 1 'assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble
    assert_queue_refreshed studio ColorModel=Gray Resolution=1200dpi'
  assert_eq "$(playbook)" "${outcomes/host1 changed/host1 ok}" "outcomes of the second run"

  assert_eq "$(playbook -e orvo_setup_action=rollback)" $'host1 changed\nhost2 ok\nhost3 ok\nhost4 unreachable' \
    "outcomes of the rollback"
  on_host 1 'for queue in office studio; do cmp /etc/cups/ppd/$queue.ppd $PPDS_BEFORE/$queue.ppd; done
    assert_eq "$(queue_default office PageSize) $(queue_default studio ColorModel)" "A4 Gray" defaults'
}
