# What a typing error or a hostile local user (uid 65534, writing where the package lets everyone
# write) must never achieve: system directories removed or written, files followed through planted
# links, a run blocked, two runs at once, a run without a record.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# Every name two levels deep outside the sandbox's own mounts (and the shared work tree).
system_names() { find / -xdev -maxdepth 2 -path /work -prune -o -print | sort; }

# An installation in /opt/vyr, and an information file in the root and in /usr too: only the check
# of the directory itself stands between these runs and the system.
case_system_directories_refused_for_install_and_deinstall() {
  install_package /opt/vyr q1
  tee /orvoInfo4.0 /usr/orvoInfo4.0 </opt/vyr/orvoInfo4.0 >/dev/null
  ln -s /usr /srv/usr_link
  : >/root/setup.in
  local before dir mode
  before=$(system_names)
  for dir in / /opt/.. //usr/ /srv/usr_link; do
    for mode in -d ""; do
      ask_setup $'y\n' $mode -u "$dir"
      assert_eq "$(cat /tmp/setup.err)" $'The installation directory:\n\t\''"$dir"$'\'\ndoes not exist or is not OK.' "$mode -u $dir"
      assert_eq "$(system_names)" "$before" "system directories after setup $mode -u $dir"
    done
  done
}

# Planted by uid 65534 in the 0777 installation directory: the information file and the configuration
# of q1 links to a root-only file, of q2 a FIFO, of q3 a link to an endless device, of q4 a file larger
# than 1 MiB; in the CUPS PPD directory a FIFO and a queue whose name holds a tab. The run ends,
# discloses nothing, writes through no link.
case_hostile_files_neither_followed_nor_waited_on() {
  make_package
  local queue
  for queue in q1 q2 q3 q4 $'tab\tq'; do old_queue "$queue"; done
  mkfifo /etc/cups/ppd/fifo.ppd
  write_file /root/secret "root only" 600
  install -d -m 777 /opt/vyr
  setpriv --reuid 65534 --regid 65534 --clear-groups sh -c 'cd /opt/vyr && mkdir -p q1/root q2/root q3/root q4/root &&
    ln -s /root/secret q1/root/orvoConfig && ln -s /root/secret orvoInfo4.0 &&
    mkfifo q2/root/orvoConfig && ln -s /dev/zero q3/root/orvoConfig && head -c 1100000 /dev/zero >q4/root/orvoConfig'
  run_setup

  for queue in q1 q2 q3 q4; do
    assert_refreshed "$queue"
    assert_log_contains "Skipping '/opt/vyr/$queue/root/orvoConfig': not a regular file, a link, or too large."
    assert_eq "$(ls /opt/vyr/$queue/root)" orvoConfig "beside the configuration of $queue"
  done
  assert_eq "$(stat -c '%a %U' /root/secret) $(cat /root/secret)" "600 root root only" "the secret"
  assert_eq "$(grep -rl 'root only' /opt/vyr /etc/cups)" "" "copies of the secret"
  [[ -p /opt/vyr/q2/root/orvoConfig ]] || fail "the FIFO of q2 was replaced"
  assert_log_contains "Skipping '/etc/cups/ppd/fifo.ppd': not a regular file, a link, or too large."
  assert_log_contains "Skipping printer queue 'tab\\011q': not a usable queue name."
  assert_ppd_unchanged $'tab\tq'
}

# A link at the run log path is not followed; with /var/log full, every line still reaches standard error.
case_run_log_neither_followed_nor_lost() {
  write_file /root/target "precious" 600
  ln -s /root/target "$RUN_LOG"
  run_setup -d
  [[ -L $RUN_LOG && $(cat /root/target) == precious ]] || fail "the link at the run log path was followed"
  rm "$RUN_LOG"
  mount -t tmpfs -o size=64k full /var/log
  head -c 1M /dev/zero >/var/log/filler 2>/dev/null || true
  run_setup -d
  assert_eq "$(grep -c -e '^Starting Orvo 4.0-0 installation : ' -e '^System Scheduler = CUPS$' \
    -e '^Finishing Orvo 4.0-0 installation : ' /tmp/setup.err)" 3 "run lines on standard error"
}

# A second run 0.3 s after the first stops at once naming the first, and leaves the first run's log
# alone; usage needs no lock. The first run is slowed by an lpadmin that takes 2 s.
case_second_run_stops_at_once() {
  write_file /usr/sbin/lpadmin $'#!/bin/sh\nsleep 2\n' 755
  install_package /opt/vyr q1
  QIXLPMODE=CUPS "$SETUP" -d <<<y >/tmp/first.out 2>/tmp/first.err &
  local first=$!
  sleep 0.3
  ask_setup $'y\n' -d
  assert_eq "$(cat /tmp/setup.err)" "Another setup run (process $first) is in progress. Nothing was changed." "second run"
  ask_setup "" -h
  assert_contains "$(cat /tmp/setup.err)" "Usage:"
  chmod 777 /run/orvo-setup
  ask_setup $'y\n' -d
  assert_eq "$(cat /tmp/setup.err)" "setup cannot take its run lock (/run/orvo-setup is not a directory of root's closed to other users). Nothing was changed." "open lock directory"
  wait "$first" || fail "the first run ended with $?"
  assert_eq "$(run_log | grep -c '^Starting Orvo')" 1 "runs in the log"
  assert_no_file /opt/vyr/q1 /opt/vyr/bin
}
