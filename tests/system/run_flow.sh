# The run flow up to the branch: start directory, SELinux module step, foomatic check and abandon report,
# debug traces. The scheduler is named by the environment where it is not the subject.

# -f 0 away from /opt/vyr: the simulation message, then one empty line, and the run ends. With -d the check
# does not apply; from the package's own bin directory the run goes on, and the directory shown is the
# package's.
case_start_directory() {
  mkdir -p /tmp/pkg/bin /opt/vyr/bin && cp "$SETUP" /tmp/pkg/bin/setup && cp "$SETUP" /opt/vyr/bin/setup
  SETUP_BIN=/tmp/pkg/bin/setup run_setup -f 0
  assert_eq "$(cat /tmp/setup.err; echo .)" $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n\n.' "standard error"
  assert_log_contains $'Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\nFinishing Orvo 4.0-0 installation : '
  SETUP_BIN=/tmp/pkg/bin/setup run_setup -f 0 -d
  assert_log_contains "PPD installation dir: "
  SETUP_BIN=/opt/vyr/bin/setup run_setup -f 0
  assert_log_order "Directory from which we install: '/opt/vyr'." "SELinux is running: No." "System Scheduler = CUPS"
}

# SELinux off by detection, on by -S 1; no module file: one note on standard error, no line end. On by
# detection, the module file there is loaded; de-installing loads nothing, -S 0 turns it off.
case_selinux_module_step() {
  fake_command /usr/sbin/semodule 0
  run_setup -S 1
  assert_eq "$(cat /tmp/setup.err; echo .)" $'.......\nSELinux running, but no file orvo.pp found..' "standard error"
  assert_log_order "SELinux is running: Yes."$'\n'"SELinux module orvo.pp is installed."$'\n' "System Scheduler = CUPS"
  fake_command /usr/sbin/selinuxenabled 0
  write_file /opt/vyr/etc/orvo.pp "module"
  run_setup
  run_setup -d
  run_setup -S 0
  assert_log_contains "SELinux is running: No."$'\n'
  assert_eq "$(fake_calls semodule)" "-i /opt/vyr/etc/orvo.pp" "semodule calls"
}

# foomatic-rip only on the search path, in a place not on the fixed list, is still missing. The report
# comes between the scheduler line and the CUPS facts, which are still gathered; not CUPS either, both
# reasons, in order. A directory of that name in a listed place counts. -D 1 traces the steps.
case_foomatic_and_abandon_report() {
  rm -f /{usr/,usr/local/,opt/,}{bin,lib/cups/filter}/foomatic-rip /sbin/foomatic-rip
  fake_command /usr/local/sbin/foomatic-rip 0
  run_setup
  assert_log_contains $'System Scheduler = CUPS\nAbandoned because:\n* No foomatic-rip program found!\n'\
$'*** Sorry ***\nCUPS base dir: '
  QIXLPMODE=LPR run_setup
  python3 -c 'import json; r=json.load(open(0)); print(r["abandoned"], *r["reasons"], sep="|")' <"$RUN_LOG.json" >/tmp/result
  assert_eq "$(</tmp/result)" "True|No running CUPS daemon found!|No foomatic-rip program found!|\
Because of insufficient data, setup stopped." "the run's result"
  mkdir -p /opt/lib/cups/filter/foomatic-rip
  run_setup -D 1
  assert_log_lacks "Abandoned because"
  assert_eq "$(cat /tmp/setup.err)" $'Root mode: getting printer manager.\nGetting full system info.' "debug traces"
}
