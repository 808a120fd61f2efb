# Print-system detection: the environment variables, the process-list probe with `lpd -V`, and the CUPS
# layout read on the way. `ps` and `lpd` are scripts here; nothing else of the machine is faked.
# Case and file names stay clear of the words the probe looks for, as the probe sees this script run.
# QIXLPMODE='' leaves the variable unset, so the probe decides.

# A process list of a plain machine plus the given command lines; the probe's own grep shows in it, as
# it does in a real one.
fake_process_list() {
  local head=$'UID PID PPID C STIME TTY TIME CMD\nroot 977 812 0 10:00 pts/0 00:00:00 grep /usr/sbin/cupsd'
  fake_command /usr/bin/ps 0 "$head$(printf '\nroot 812 1 0 10:00 ? 00:00:00 %s' "$@")"
}

# Runs the probe with the process line $1, then checks the base and binary dirs logged ($2, $3).
probe_layout() {
  fake_process_list "$1"
  QIXLPMODE='' run_setup
  assert_log_contains "CUPS base dir: $2"$'\n'"CUPS binary dir: $3"$'\n'
}

# Named by the environment, CUPS keeps its directories empty and ps is not run; the commands come from
# the system list. Probed, the process line's prefix (or the standard layout) holds unless the first
# start-up script that opens names a prefix, taken verbatim; one without either key falls back.
case_cups_layout() {
  rm -f /etc/init.d/cups /etc/init.d/cupsys
  fake_process_list "cupsd -f"
  run_setup
  assert_log_order $'System Scheduler = CUPS\nCUPS base dir: \nCUPS binary dir: \n' $'lpadmin = /usr/sbin/lpadmin\n'
  probe_layout "cupsd -f" / /usr
  assert_eq "$(fake_calls ps)" "-ef" "ps calls"
  write_file /etc/init.d/cupsys $'  exec_prefix="/srv/cups" # by the installer\n'
  probe_layout "/opt/cups/sbin/cupsd" "" '"/srv/cups" # by the installer'
  write_file /etc/init.d/cups $'#!/bin/sh\nprefix=/opt/cups\nexec_prefix=/opt/cups\n'
  probe_layout "/usr/sbin/cupsd -l" /opt/cups /opt/cups
  write_file /etc/init.d/cups $'#!/bin/sh\necho starting\n'
  probe_layout "/usr/sbin/cupsd -l" / /usr
}

# lpd answering -V with LPRng on standard error is LPRNG, on standard output LPR; lpsched ends the probe
# before lpd is asked.
case_other_spoolers() {
  local row line out err kind
  for row in "lpd -F||LPRng-3.8.28|LPRNG" "lpd -F|LPRng-3.8.28||LPR" "lpsched|||LP"; do
    IFS='|' read -r line out err kind <<<"$row"
    fake_process_list "/usr/sbin/$line"
    fake_command /usr/sbin/lpd 0 "$out" "$err"
    QIXLPMODE='' run_setup
    assert_log_contains "System Scheduler = $kind"$'\nAbandoned because:\n* No running CUPS daemon found!\n'
  done
  assert_eq "$(fake_calls lpd)" $'-V\n-V' "lpd calls"
}

# Four passes find nothing; links planted where names made from the process id would be are never written
# through, and no temporary file is left.
case_nothing_found() {
  fake_process_list
  remove_command lpd
  local name
  for name in /tmp/QIXLPD{1..300} /tmp/QIXLPRNG{1..300}; do ln -s /etc/planted-target "$name"; done
  QIXLPMODE='' run_setup
  assert_log_contains $'System Scheduler = Unknown\nAbandoned because:\n* No running CUPS daemon found!\n'
  assert_eq "$(fake_calls ps | wc -l)" 4 "ps calls"
  assert_no_file /etc/planted-target
  assert_eq "$(find /tmp -maxdepth 1 -name 'QIX*' ! -type l)" "" "temporary files left in /tmp"
}
