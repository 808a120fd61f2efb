# The command line, the run log and the command locator, shown through the real binary.

case_usage_comes_before_any_log() {
  local expected args
  expected=$(printf '%s\n' "Orvo setup version: 4.0-0." \
    "Installs, upgrades and removes the Orvo printer-driver package." \
    "Run it as root; every run is recorded in /var/log/Orvo4.0_UpdateLog." "Usage:" "setup [options]." "Options:" \
    $'-d\t: de-installation of Orvo 4.0-0.' $'-fx\t: allow install from any directory: x=0:no,1:yes [1].' \
    $'-h\t: display this message.' $'-qx\t: query steps of installation: x=0:no,1:yes [0].' \
    $'-Sx\t: set SELinux mode: x=0:off,1:on [1].' $'-Dx\t: set debug mode. [0].' \
    $'-n\t: preview: list what an installation would do to every queue; changes nothing (-j: as JSON).' \
    $'-r\t: roll the refreshed queues back to the PPDs saved before the refresh.')
  # An -u too long for its field stops the run too, but -h anywhere asks for the usage.
  for args in "-h" "-q 1 -h -d" "-D 2 -u /srv/x -h" "-u /$(printf 'a%.0s' {1..300}) -h"; do
    # shellcheck disable=SC2086
    run_setup $args
    assert_eq "$(cat /tmp/setup.err)" "$expected" "usage text of setup $args"
    assert_eq "$(cat /tmp/setup.out)" "" "standard output of setup $args"
    assert_no_file "$RUN_LOG"
  done
}

# With chcon the log begins with the relabel block; without it, with the start line, and each run
# replaces the log of the one before.
case_log_begins_with_relabel_block_when_chcon_exists() {
  fake_command /usr/bin/chcon 1
  QIXLPMODE=LPRNG run_setup
  local head
  head=$(head -3 "$RUN_LOG")
  assert_eq "$head" $'Preparing Log File:\nCommand: "/usr/bin/chcon -u system_u /var/log/Orvo4.0_UpdateLog 2>/dev/null" returned with: 256.\n'"$(printf '=%.0s' {1..39})"
  [[ $(sed -n 4p "$RUN_LOG") =~ ^Starting\ Orvo\ 4\.0-0\ installation\ :\ [A-Z][a-z]{2}\ [A-Z][a-z]{2}\ [\ 0-9][0-9]\ [0-9:]{8}\ [0-9]{4}$ ]] ||
    fail "start line: $(sed -n 4p "$RUN_LOG")"
  [[ $(tail -1 "$RUN_LOG") =~ ^Finishing\ Orvo\ 4\.0-0\ installation\ :\ .{24}$ ]] || fail "closing line: $(tail -1 "$RUN_LOG")"
  assert_eq "$(fake_calls chcon | head -1)" "-u system_u /var/log/Orvo4.0_UpdateLog"
  assert_log_contains "System Scheduler = LPRNG"

  remove_command chcon
  QIXLPMODE=LPRNG run_setup -Z 0
  [[ $(head -1 "$RUN_LOG") == "Starting Orvo 4.0-0 installation : "* ]] || fail "first line: $(head -1 "$RUN_LOG")"
  assert_log_lacks "Preparing Log File"
}

# A caller other than root is told so, asked nothing and changes nothing; the log gets the user id in
# its name, and where it cannot be made every line goes to standard error, without a closing line.
case_non_root_log_gets_user_id_or_goes_to_standard_error() {
  local -a nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP")
  QIXLPMODE=CUPS "${nobody[@]}" </dev/null >/tmp/setup.out 2>/tmp/setup.err || fail "exit status $?"
  local err
  err=$(cat /tmp/setup.err; echo .)
  assert_contains "$err" "Starting Orvo 4.0-0 installation : "
  assert_contains "$err" $'\n\n\tYou must be root to be able\n\tto install Orvo!\n\n\tSorry!\n'
  assert_not_contains "$err" "System Scheduler"
  assert_not_contains "$err" "Finishing Orvo"
  assert_eq "$(cat /tmp/setup.out)" "" "standard output (questions)"
  assert_eq "$(find /var/log -maxdepth 1 -name 'Orvo*')" "" "run logs"
  assert_no_file /opt/vyr /usr/share/ppd/vyr
  QIXLPMODE=CUPS "${nobody[@]}" -D 1 </dev/null >/dev/null 2>/tmp/setup.err || fail "exit status $?"
  assert_contains "$(cat /tmp/setup.err)" $'Must be root.\nExiting.\n'

  chmod 1777 /var/log
  "${nobody[@]}" </dev/null >/dev/null 2>&1 || fail "exit status $?"
  assert_contains "$(cat /var/log/Orvo4.0_UpdateLog_65534)" "Finishing Orvo 4.0-0 installation"
  assert_no_file "$RUN_LOG"
}

case_unknown_option_is_reported_in_each_pass() {
  QIXLPMODE=LPRNG run_setup -x -q
  assert_eq "$(grep -c "invalid option -- 'x'" /tmp/setup.err)" 2 "messages for -x"
  assert_eq "$(grep -c "option requires an argument -- 'q'" /tmp/setup.err)" 2 "messages for -q"
  assert_log_order "Starting Orvo 4.0-0 installation" "Finishing Orvo 4.0-0 installation"
}

case_command_locator_tries_its_candidates_in_order() {
  mkdir -p /usr/ucb /usr/freeware/bin/orvo-dir /opt/cups/bin
  write_file /usr/local/bin/orvo-plain "not executable" 0644
  write_file /usr/ucb/orvo-both "" 0755
  write_file /usr/local/bin/orvo-both "" 0755
  write_file /etc/orvo-admin "" 0755
  # NAME [CUPS-PREFIX CUPS-BASE]|expected|why; the CUPS forms look under the CUPS directories only.
  local row args expected
  local -a rows=(
    "orvo-plain|/usr/local/bin/orvo-plain|a file without execute permission"
    "orvo-dir|/usr/freeware/bin/orvo-dir|a directory" "orvo-both|/usr/ucb/orvo-both|the earlier candidate"
    "orvo-none|(none)|no candidate" "orvo-none /usr /|orvo-none|the bare name on a miss"
    "orvo-admin /usr /|//etc/orvo-admin|the base directory as formed"
    "orvo-plain /opt/cups|orvo-plain|no system search under another prefix"
    "orvo-none ''|(none)|an empty CUPS binary directory searches like findCommand"
    "lpadmin /usr /|/usr/sbin/lpadmin|the real command")
  for row in "${rows[@]}"; do
    IFS='|' read -r args expected _ <<<"$row"
    eval "set -- $args"
    assert_eq "$("$ORVO_BUILD_DIR/locate_command" "$@")" "$expected" "${row##*|}"
  done
  write_file /opt/cups/bin/orvo-plain "" 0755
  assert_eq "$("$ORVO_BUILD_DIR/locate_command" orvo-plain /opt/cups)" /opt/cups/bin/orvo-plain
}
