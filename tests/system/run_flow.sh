# The run flow up to the branch: start directory, root check, SELinux module step, foomatic check and
# abandon report, debug traces. The scheduler is named by the environment where it is not the subject.

# Runs setup with the given arguments; standard output and error land in /tmp/setup.out and /tmp/setup.err.
run_setup() {
  QIXLPMODE=${QIXLPMODE-CUPS} "$@" </dev/null >/tmp/setup.out 2>/tmp/setup.err || fail "setup exited with $?"
}

case_non_root_changes_nothing() {
  rm -f /var/log/Orvo4.0_UpdateLog*
  run_setup setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP"
  assert_eq "$(cat /tmp/setup.out)" "" "standard output (questions)"
  # The log cannot be made in /var/log, so its lines go to standard error.
  local err
  err=$(cat /tmp/setup.err; echo .)
  assert_contains "$err" "Starting Orvo 4.0-0 installation : "
  assert_contains "$err" $'\n\n\tYou must be root to be able\n\tto install Orvo!\n\n\tSorry!\n'
  assert_not_contains "$err" "System Scheduler"
  assert_not_contains "$err" "Finishing Orvo"
  assert_eq "$(ls /var/log | grep Orvo || true)" "" "run logs"
  assert_no_file /opt/vyr
  assert_no_file /usr/share/ppd/vyr

  run_setup setpriv --reuid=65534 --regid=65534 --clear-groups "$SETUP" -D 1
  assert_contains "$(cat /tmp/setup.err)" $'Must be root.\nExiting.\n'
}

case_start_directory() {
  mkdir -p /tmp/pkg/bin /opt/vyr/bin
  cp "$SETUP" /tmp/pkg/bin/setup

  # -f 0 away from /opt/vyr: the simulation message, then one empty line, and the run ends.
  run_setup /tmp/pkg/bin/setup -f 0
  assert_eq "$(cat /tmp/setup.err; echo .)" $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n\n.' \
    "standard error"
  assert_log_order "Directory from which we install: '/tmp/pkg/bin'."$'\n' \
    $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n'"Finishing Orvo 4.0-0 installation : "
  assert_not_contains "$(run_log)" "SELinux is running"

  # With -d the check does not apply.
  run_setup /tmp/pkg/bin/setup -f 0 -d
  assert_log_order "Directory from which we install: '/tmp/pkg/bin'." "SELinux is running: No." \
    "System Scheduler = CUPS" "PPD installation dir: "
  assert_not_contains "$(cat /tmp/setup.err)" "simulation"

  # From the package's own bin directory the run goes on, and the directory shown is the package's.
  cp "$SETUP" /opt/vyr/bin/setup
  run_setup /opt/vyr/bin/setup -f 0
  assert_log_order "Directory from which we install: '/opt/vyr'." "SELinux is running: No." "System Scheduler = CUPS"
  assert_not_contains "$(cat /tmp/setup.err)" "simulation"
}

case_selinux_module_step() {
  fake_command /usr/sbin/semodule 0

  # SELinux off by detection, on by -S 1; no module file: one note on standard error, no line end.
  run_setup "$SETUP" -S 1
  assert_eq "$(cat /tmp/setup.err; echo .)" $'.......\nSELinux running, but no file orvo.pp found..' "standard error"
  assert_log_order "SELinux is running: Yes."$'\n'"SELinux module orvo.pp is installed."$'\n' "System Scheduler = CUPS"
  assert_eq "$(fake_calls semodule)" "" "semodule calls"

  # SELinux on by detection; the module file is there and is loaded.
  fake_command /usr/sbin/selinuxenabled 0
  write_file /opt/vyr/etc/orvo.pp "module"
  run_setup "$SETUP"
  assert_eq "$(cat /tmp/setup.err)" "......." "standard error"
  assert_eq "$(fake_calls semodule)" "-i /opt/vyr/etc/orvo.pp" "semodule calls"

  # De-installing: no module step, the log still says SELinux is on.
  run_setup "$SETUP" -S 1 -d
  assert_not_contains "$(cat /tmp/setup.err)" "......."
  assert_eq "$(fake_calls semodule | wc -l)" 1 "semodule calls"
  assert_log_contains "SELinux is running: Yes."$'\n'"SELinux module orvo.pp is installed."$'\n'

  run_setup "$SETUP" -S 0 -d
  assert_log_contains "SELinux is running: No."$'\n'
  assert_not_contains "$(run_log)" "SELinux module orvo.pp"

  # Without semodule the step says nothing.
  remove_command semodule
  run_setup "$SETUP" -S 1
  assert_eq "$(cat /tmp/setup.err)" "......." "standard error"
}

case_foomatic_and_abandon_report() {
  local place
  for place in /usr/bin /bin /sbin /usr/local/bin /opt/bin /usr/lib/cups/filter /usr/local/lib/cups/filter \
    /opt/lib/cups/filter /lib/cups/filter; do
    rm -f "$place/foomatic-rip"
  done
  # Only on the search path, in a place not on the fixed list: still missing.
  fake_command /usr/local/sbin/foomatic-rip 0
  run_setup "$SETUP"
  # The report comes between the scheduler line and the CUPS facts, which are still gathered.
  assert_log_contains "System Scheduler = CUPS"$'\n'"Abandoned because:"$'\n'"* No foomatic-rip program found!"$'\n'"*** Sorry ***"$'\n'"CUPS base dir: "
  assert_log_order "CUPS Version : " "lpadmin = " "PPD installation dir: "

  # Not CUPS either: both reasons, in order.
  QIXLPMODE=LPR run_setup "$SETUP"
  assert_log_contains "System Scheduler = LPR"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n'"* No foomatic-rip program found!"$'\n'"*** Sorry ***"$'\n'"======================================="$'\n'

  # A directory of that name in a listed place counts.
  mkdir -p /opt/lib/cups/filter/foomatic-rip
  run_setup "$SETUP"
  assert_not_contains "$(run_log)" "Abandoned because"
}

case_debug_traces() {
  run_setup "$SETUP" -D 1
  assert_eq "$(cat /tmp/setup.err)" $'Root mode: getting printer manager.\nGetting full system info.' "standard error"
  run_setup "$SETUP"
  assert_eq "$(cat /tmp/setup.err)" "" "standard error"
}
