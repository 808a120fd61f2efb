# The command line and the run log, shown through the real binary.

# -h anywhere asks for the usage, before any log, even after an -u too long for its field.
case_usage_comes_before_any_log() {
  local args
  for args in "-q 1 -h -d" "-u /$(printf 'a%.0s' {1..300}) -h"; do
    # shellcheck disable=SC2086
    run_setup $args
    assert_eq "$(cat /tmp/setup.err)|$(cat /tmp/setup.out)" "Orvo setup version: 4.0-0."$'\nInstalls, upgrades and removes the Orvo printer-driver package.\nRun it as root; every run is recorded in /var/log/Orvo4.0_UpdateLog.\nUsage:\nsetup [options].\nOptions:\n-d\t: de-installation of Orvo 4.0-0.\n-fx\t: allow install from any directory: x=0:no,1:yes [1].\n-h\t: display this message.\n-qx\t: query steps of installation: x=0:no,1:yes [0].\n-Sx\t: set SELinux mode: x=0:off,1:on [1].\n-Dx\t: set debug mode. [0].\n-n\t: preview: list what an installation would do to every queue; changes nothing (-j: as JSON).\n-r\t: roll the refreshed queues back to the PPDs saved before the refresh.\n-k\t: remove what setup made beside the package files (filter link, PPD copies, information file,\n\t  scripts), keeping the printer queues; run by the package manager when it removes the package.|' "usage of setup $args"
    assert_no_file "$RUN_LOG"
  done
}

# With chcon the log begins with the relabel block; without it, with the start line, and each run
# replaces the log of the one before. An unknown option is reported by each pass.
case_log_begins_with_relabel_block_when_chcon_exists() {
  fake_command /usr/bin/chcon 1
  QIXLPMODE=LPRNG run_setup -x
  assert_eq "$(head -3 "$RUN_LOG")" $'Preparing Log File:\nCommand: "/usr/bin/chcon -u system_u /var/log/Orvo4.0_UpdateLog 2>/dev/null" returned with: 256.\n'"$(printf '=%.0s' {1..39})"
  [[ $(sed -n 4p "$RUN_LOG") =~ ^Starting\ Orvo\ 4\.0-0\ installation\ :\ [A-Z][a-z]{2}\ [A-Z][a-z]{2}\ .{16}$ ]] || fail "start"
  assert_eq "$(grep -c "invalid option -- 'x'" /tmp/setup.err)" 2 "messages for -x"
  remove_command chcon
  QIXLPMODE=LPRNG run_setup
  [[ $(head -1 "$RUN_LOG") == "Starting Orvo 4.0-0 installation : "* ]] || fail "first line: $(head -1 "$RUN_LOG")"
}

# A caller other than root is told so, asked nothing and changes nothing; the log gets the user id in
# its name, and where it cannot be made every line goes to standard error, without a closing line.
case_non_root_log_gets_user_id_or_goes_to_standard_error() {
  local -a nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP")
  QIXLPMODE=CUPS "${nobody[@]}" </dev/null >/tmp/setup.out 2>/tmp/setup.err || fail "exit status $?"
  assert_contains "$(cat /tmp/setup.err; echo .)" $'\n\n\tYou must be root to be able\n\tto install Orvo!\n\n\tSorry!\n'
  assert_not_contains "$(cat /tmp/setup.err)" "Finishing Orvo"
  assert_eq "$(cat /tmp/setup.out)$(find /var/log -maxdepth 1 -name 'Orvo*')" "" "questions and run logs"
  chmod 1777 /var/log
  "${nobody[@]}" </dev/null >/dev/null 2>&1 || fail "exit status $?"
  assert_contains "$(cat /var/log/Orvo4.0_UpdateLog_65534)" "Finishing Orvo 4.0-0 installation"
}
