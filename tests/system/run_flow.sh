# The run flow up to the branch: start directory, SELinux module step, foomatic check and abandon report,
# debug traces. The scheduler is named by the environment where it is not the subject.

case_start_directory() {
  mkdir -p /tmp/pkg/bin /opt/vyr/bin && cp "$SETUP" /tmp/pkg/bin/setup && cp "$SETUP" /opt/vyr/bin/setup
  # -f 0 away from /opt/vyr: the simulation message, then one empty line, and the run ends.
  SETUP_BIN=/tmp/pkg/bin/setup run_setup -f 0
  assert_eq "$(cat /tmp/setup.err; echo .)" $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n\n.' "standard error"
  assert_log_order "Directory from which we install: '/tmp/pkg/bin'."$'\n' \
    $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n'"Finishing Orvo 4.0-0 installation : "
  assert_log_lacks "SELinux is running"
  # With -d the check does not apply; from the package's own bin directory the run goes on, and the
  # directory shown is the package's.
  SETUP_BIN=/tmp/pkg/bin/setup run_setup -f 0 -d
  assert_log_order "Directory from which we install: '/tmp/pkg/bin'." "System Scheduler = CUPS" "PPD installation dir: "
  SETUP_BIN=/opt/vyr/bin/setup run_setup -f 0
  assert_log_order "Directory from which we install: '/opt/vyr'." "SELinux is running: No." "System Scheduler = CUPS"
  assert_not_contains "$(cat /tmp/setup.err)" "simulation"
}

case_selinux_module_step() {
  fake_command /usr/sbin/semodule 0
  # SELinux off by detection, on by -S 1; no module file: one note on standard error, no line end.
  run_setup -S 1
  assert_eq "$(cat /tmp/setup.err; echo .)" $'.......\nSELinux running, but no file orvo.pp found..' "standard error"
  assert_log_order "SELinux is running: Yes."$'\n'"SELinux module orvo.pp is installed."$'\n' "System Scheduler = CUPS"
  # SELinux on by detection; the module file is there and is loaded; de-installing loads nothing.
  fake_command /usr/sbin/selinuxenabled 0
  write_file /opt/vyr/etc/orvo.pp "module"
  run_setup
  assert_eq "$(cat /tmp/setup.err)" "......." "standard error"
  run_setup -d
  assert_eq "$(fake_calls semodule)" "-i /opt/vyr/etc/orvo.pp" "semodule calls"
  run_setup -S 0 -d
  assert_log_contains "SELinux is running: No."$'\n'
  assert_log_lacks "SELinux module orvo.pp"
}

case_foomatic_and_abandon_report() {
  rm -f {/usr/bin,/bin,/sbin,/usr/local/bin,/opt/bin,/usr/lib/cups/filter,/usr/local/lib/cups/filter,/opt/lib/cups/filter,/lib/cups/filter}/foomatic-rip
  # Only on the search path, in a place not on the fixed list: still missing. The report comes between
  # the scheduler line and the CUPS facts, which are still gathered.
  fake_command /usr/local/sbin/foomatic-rip 0
  run_setup
  assert_log_contains "System Scheduler = CUPS"$'\n'"Abandoned because:"$'\n'"* No foomatic-rip program found!"$'\n'"*** Sorry ***"$'\n'"CUPS base dir: "
  assert_log_order "CUPS Version : " "lpadmin = " "PPD installation dir: "
  # Not CUPS either: both reasons, in order.
  QIXLPMODE=LPR run_setup
  assert_log_contains "System Scheduler = LPR"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n'"* No foomatic-rip program found!"$'\n'"*** Sorry ***"$'\n'
  assert_eq "$(python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); print(r["kind"], r["abandoned"], r["reasons"])' \
    "$RUN_LOG.json")" "install True ['No running CUPS daemon found!', 'No foomatic-rip program found!', \
'Because of insufficient data, setup stopped.']" "the run's result"
  # A directory of that name in a listed place counts. -D 1 traces the steps on standard error.
  mkdir -p /opt/lib/cups/filter/foomatic-rip
  run_setup -D 1
  assert_log_lacks "Abandoned because"
  assert_eq "$(cat /tmp/setup.err)" $'Root mode: getting printer manager.\nGetting full system info.' "debug traces"
}
