# Restarting CUPS at the end of an install run with no queues to refresh, so the run restarts exactly
# once: the service manager first, then the service command and the init scripts, each a fake here.

# shellcheck source=printer_refresh.sh
source "$ORVO_SOURCE_DIR/tests/system/printer_refresh.sh"

# One package PPD, so the install copies something; no queue uses it.
PACKAGE_PPD="Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"

# Every place the command locator looks.
LOCATOR_DIRS=(/usr/bin /usr/sbin /usr/ucb /bin /sbin /usr/bsd /etc /usr/etc /usr/lib /lib /usr/local/bin
  /usr/freeware/bin)

# Only the restart methods given as PATH:STATUS words exist afterwards.
restart_methods() {
  local dir word
  for dir in "${LOCATOR_DIRS[@]}"; do rm -f "$dir/systemctl" "$dir/service"; done
  rm -f /etc/init.d/cups /etc/init.d/cupsys
  for word in "$@"; do fake_command "${word%:*}" "${word##*:}"; done
}

# The log after the (empty) list of PPDs to install: the restart lines and the closing line without its time.
restart_lines() {
  run_log | sed -n '/^List of Ostra PPD files to install/,$p' | sed '1d;$s/ : .*//'
}

case_systemctl_restart_succeeds() {
  make_package "$PACKAGE_PPD"
  restart_methods /usr/bin/systemctl:0 /usr/sbin/service:0 /etc/init.d/cups:0 /etc/init.d/cupsys:0
  run_setup
  assert_eq "$(restart_lines)" $'CUPS restart command:"/usr/bin/systemctl restart cups.service"\nCUPS reset returned with: 0\nFinishing Orvo 4.0-0 installation' "restart lines"
  assert_eq "$(fake_calls systemctl)" "restart cups.service" "systemctl calls"
  assert_eq "$(fake_calls service)$(fake_calls cups)$(fake_calls cupsys)" "" "other methods tried"
}

# A failing restart falls back to the first method present, in the order service, cups, cupsys; with
# none the status stays the failed one.
case_failing_systemctl_falls_back_in_order() {
  make_package "$PACKAGE_PPD"
  local round methods expected called
  for round in service cups cupsys none; do
    case $round in
      service) methods=(/usr/sbin/service:3 /etc/init.d/cups:0 /etc/init.d/cupsys:0) expected=768 called="cups restart" ;;
      cups) methods=(/etc/init.d/cups:0 /etc/init.d/cupsys:5) expected=0 called=restart ;;
      cupsys) methods=(/etc/init.d/cupsys:5) expected=1280 called=restart ;;
      none) methods=() ;;
    esac
    rm -rf "$RUN_LOG" "$FAKE_CALLS_DIR"
    restart_methods /usr/bin/systemctl:1 "${methods[@]}"
    run_setup
    local head=$'CUPS restart command:"/usr/bin/systemctl restart cups.service"\nCUPS reset returned with: 256\n'
    if [[ $round == none ]]; then
      assert_eq "$(restart_lines)" "$head"$'Cannot reset CUPS. Sorry!\nCUPS reset returned with: 256\nFinishing Orvo 4.0-0 installation' "restart lines ($round)"
    else
      assert_eq "$(restart_lines)" "$head""CUPS reset returned with: $expected"$'\nFinishing Orvo 4.0-0 installation' "restart lines ($round)"
      assert_eq "$(fake_calls "$round")" "$called" "$round calls"
    fi
    assert_eq "$(fake_calls systemctl)" "restart cups.service" "systemctl calls ($round)"
    # Only the first method present was run.
    assert_eq "$(cat "$FAKE_CALLS_DIR"/*.log | wc -l)" $([[ $round == none ]] && echo 1 || echo 2) \
      "commands run ($round)"
  done
}

case_init_script_without_service_managers() {
  make_package "$PACKAGE_PPD"
  restart_methods /etc/init.d/cupsys:0
  run_setup
  assert_eq "$(restart_lines)" $'CUPS reset returned with: -1\nCUPS reset returned with: 0\nFinishing Orvo 4.0-0 installation' "restart lines"
  assert_eq "$(fake_calls cupsys)" "restart" "init script calls"

  # Its failure is what the log shows last.
  restart_methods /etc/init.d/cupsys:1
  run_setup
  assert_eq "$(restart_lines)" $'CUPS reset returned with: -1\nCUPS reset returned with: 256\nFinishing Orvo 4.0-0 installation' "restart lines"
}

case_nothing_to_restart_with() {
  make_package "$PACKAGE_PPD"
  restart_methods
  run_setup
  assert_eq "$(restart_lines)" $'CUPS reset returned with: -1\nCannot reset CUPS. Sorry!\nCUPS reset returned with: -1\nFinishing Orvo 4.0-0 installation' "restart lines"
  assert_eq "$(cat /tmp/setup.err)" "" "standard error"
}
