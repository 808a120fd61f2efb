# The command line, the run log and the command locator, shown through the real binary.

usage_lines() {
  printf '%s\n' "Orvo setup version: 4.0-0." \
    "Installs, upgrades and removes the Orvo printer-driver package." \
    "Run it as root; every run is recorded in /var/log/Orvo4.0_UpdateLog." \
    "Usage:" "setup [options]." "Options:" \
    $'-d\t: de-installation of Orvo 4.0-0.' \
    $'-fx\t: allow install from any directory: x=0:no,1:yes [1].' \
    $'-h\t: display this message.' \
    $'-qx\t: query steps of installation: x=0:no,1:yes [0].' \
    $'-Sx\t: set SELinux mode: x=0:off,1:on [1].' \
    $'-Dx\t: set debug mode. [0].'
}

case_usage_comes_before_any_log() {
  local expected status
  expected=$(usage_lines)
  # An -u too long for its field stops the run too, but -h anywhere asks for the usage.
  for args in "-h" "-q 1 -h -d" "-D 2 -u /srv/x -h" "-u /$(printf 'a%.0s' {1..300}) -h"; do
    rm -f "$RUN_LOG"
    # shellcheck disable=SC2086
    status=0
    "$SETUP" $args >/tmp/out 2>/tmp/err || status=$?
    assert_eq "$status" 0 "exit status of setup $args"
    assert_eq "$(cat /tmp/err)" "$expected" "usage text of setup $args"
    assert_eq "$(cat /tmp/out)" "" "standard output of setup $args"
    assert_no_file "$RUN_LOG"
  done
}

case_log_begins_with_relabel_block_when_chcon_exists() {
  fake_command /usr/bin/chcon 1
  QIXLPMODE=LPRNG "$SETUP" >/dev/null 2>&1
  local log first
  log=$(run_log)
  first=$(head -4 "$RUN_LOG")
  assert_eq "$(sed -n 1p <<<"$first")" "Preparing Log File:"
  assert_eq "$(sed -n 2p <<<"$first")" \
    'Command: "/usr/bin/chcon -u system_u /var/log/Orvo4.0_UpdateLog 2>/dev/null" returned with: 256.'
  assert_eq "$(sed -n 3p <<<"$first")" "======================================="
  [[ $(sed -n 4p <<<"$first") =~ ^Starting\ Orvo\ 4\.0-0\ installation\ :\ [A-Z][a-z]{2}\ [A-Z][a-z]{2}\ [\ 0-9][0-9]\ [0-9:]{8}\ [0-9]{4}$ ]] ||
    fail "start line: $(sed -n 4p <<<"$first")"
  [[ $(tail -1 "$RUN_LOG") =~ ^Finishing\ Orvo\ 4\.0-0\ installation\ :\ .{24}$ ]] || fail "closing line: $(tail -1 "$RUN_LOG")"
  assert_eq "$(fake_calls chcon | head -1)" "-u system_u /var/log/Orvo4.0_UpdateLog"
  assert_contains "$log" "System Scheduler = LPRNG"
}

case_log_begins_with_start_line_without_chcon_and_is_replaced() {
  remove_command chcon
  write_file "$RUN_LOG" $'left over from an earlier run\n'
  QIXLPMODE=LPRNG "$SETUP" -Z 0 >/dev/null 2>&1
  [[ $(head -1 "$RUN_LOG") == "Starting Orvo 4.0-0 installation : "* ]] || fail "first line: $(head -1 "$RUN_LOG")"
  assert_not_contains "$(run_log)" "left over"
  assert_not_contains "$(run_log)" "Preparing Log File"
}

case_non_root_log_gets_user_id_or_goes_to_standard_error() {
  local err
  # /var/log not writable for the caller: every line goes to standard error, no closing line.
  err=$(setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP" 2>&1 >/dev/null) || fail "exit status"
  assert_contains "$err" "Starting Orvo 4.0-0 installation : "
  assert_contains "$err" $'\tYou must be root to be able\n\tto install Orvo!'
  assert_not_contains "$err" "Finishing Orvo"
  assert_no_file /var/log/Orvo4.0_UpdateLog_65534
  # Writable: the log is named after the user and is closed as usual.
  chmod 1777 /var/log
  setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP" >/dev/null 2>&1 || fail "exit status"
  assert_file_exists /var/log/Orvo4.0_UpdateLog_65534
  assert_contains "$(cat /var/log/Orvo4.0_UpdateLog_65534)" "Finishing Orvo 4.0-0 installation"
  assert_no_file "$RUN_LOG"
}

case_unknown_option_is_reported_in_each_pass() {
  local err
  err=$(QIXLPMODE=LPRNG "$SETUP" -x -q 2>&1 >/dev/null)
  assert_eq "$(grep -c "invalid option -- 'x'" <<<"$err")" 2 "messages for -x"
  assert_eq "$(grep -c "option requires an argument -- 'q'" <<<"$err")" 2 "messages for -q"
  assert_log_contains "Starting Orvo 4.0-0 installation"
  assert_log_contains "Finishing Orvo 4.0-0 installation"
}

case_command_locator_tries_its_candidates_in_order() {
  local locate=$ORVO_BUILD_DIR/locate_command
  mkdir -p /usr/ucb /usr/freeware/bin /opt/cups/bin
  write_file /usr/local/bin/orvo-plain "not executable" 0644
  mkdir /usr/freeware/bin/orvo-dir
  write_file /usr/ucb/orvo-both "" 0755
  write_file /usr/local/bin/orvo-both "" 0755
  assert_eq "$("$locate" orvo-plain)" /usr/local/bin/orvo-plain "a file without execute permission"
  assert_eq "$("$locate" orvo-dir)" /usr/freeware/bin/orvo-dir "a directory"
  assert_eq "$("$locate" orvo-both)" /usr/ucb/orvo-both "the earlier candidate"
  assert_eq "$("$locate" orvo-none)" "(none)"
  # CUPS forms: under the CUPS directories only, the bare name on a miss.
  assert_eq "$("$locate" orvo-none /usr /)" orvo-none
  write_file /etc/orvo-admin "" 0755
  assert_eq "$("$locate" orvo-admin /usr /)" //etc/orvo-admin "base directory used as formed"
  assert_eq "$("$locate" orvo-plain /opt/cups)" orvo-plain "no system search under another prefix"
  write_file /opt/cups/bin/orvo-plain "" 0755
  assert_eq "$("$locate" orvo-plain /opt/cups)" /opt/cups/bin/orvo-plain
  assert_eq "$("$locate" orvo-none "")" "(none)" "an empty CUPS binary directory searches like findCommand"
  assert_eq "$("$locate" lpadmin /usr /)" /usr/sbin/lpadmin
}
