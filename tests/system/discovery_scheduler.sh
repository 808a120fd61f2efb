# Print-system detection: the environment variables, the process-list probe with `lpd -V`, and the CUPS
# layout read on the way. `ps` and `lpd` are scripts here; nothing else of the machine is faked.
# Case and file names stay clear of the words the probe looks for, as the probe sees this script run.
# QIXLPMODE='' leaves the variable unset, so the probe decides.

# A process list of a plain machine plus the given command lines; the probe's own grep shows in it, as
# it does in a real one.
fake_process_list() {
  local lines="UID          PID    PPID  C STIME TTY          TIME CMD
root         977     812  0 10:00 pts/0    00:00:00 grep /usr/sbin/cupsd" line
  for line in "$@"; do lines+=$'\n'"root         812       1  0 10:00 ?        00:00:00 $line"; done
  fake_command /usr/bin/ps 0 "$lines"
}

# Runs the probe with the process line $1, then checks the base and binary dirs logged ($2, $3).
probe_layout() {
  fake_process_list "$1"
  QIXLPMODE='' run_setup
  assert_log_contains "CUPS base dir: $2"$'\n'"CUPS binary dir: $3"$'\n'
}

# Named by the environment, CUPS keeps its directories empty and ps is not run; the commands come from
# the system list.
case_environment_named_cups() {
  run_setup
  assert_log_order "System Scheduler = CUPS"$'\n'"CUPS base dir: "$'\n'"CUPS binary dir: "$'\n' \
    "lpadmin = /usr/sbin/lpadmin"$'\n'"lpstat  = /usr/bin/lpstat"$'\n'
  assert_eq "$(fake_calls ps)" "" "ps calls"
}

# The process line's prefix (or the standard layout), unless a start-up script names the prefixes; values
# are taken verbatim from the first script that opens; one without either key falls back.
case_cups_layout() {
  rm -f /etc/init.d/cups
  probe_layout "cupsd -f" / /usr
  assert_log_order "System Scheduler = CUPS"$'\n' "lpadmin = /usr/sbin/lpadmin"$'\n'
  assert_eq "$(fake_calls ps)" "-ef" "ps calls"
  write_file /etc/init.d/cups $'#!/bin/sh\nprefix=/opt/cups\nexec_prefix=/opt/cups\n'
  probe_layout "/usr/sbin/cupsd -l" /opt/cups /opt/cups
  assert_log_contains "lpadmin = lpadmin"$'\n'"lpstat  = lpstat"$'\n'
  write_file /etc/init.d/cups $'exec_prefix=/usr\n'
  probe_layout "/opt/cups/sbin/cupsd" "" /usr
  rm /etc/init.d/cups
  write_file /etc/init.d/cupsys $'  exec_prefix="/srv/cups" # by the installer\n# prefix="/srv"\n'
  probe_layout "/usr/sbin/cupsd -l" '"/srv"' '"/srv/cups" # by the installer'
  write_file /etc/init.d/cups $'#!/bin/sh\necho starting\n'
  probe_layout "/usr/sbin/cupsd -l" / /usr
}

# lpd answering -V with LPRng on standard error is LPRNG, on standard output LPR; lpsched ends the probe.
case_other_spoolers() {
  fake_process_list "/usr/sbin/lpd -F"
  fake_command /usr/sbin/lpd 0 "" "lpd: LPRng-3.8.28, Copyright 1988-2003 Patrick Powell"
  QIXLPMODE='' run_setup
  assert_log_order "System Scheduler = LPRNG"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n' \
    "*** Sorry ***"$'\n'"=======================================" "Sytem PPD locations:" "PPD installation dir: "
  assert_log_lacks "CUPS base dir" "lpadmin = "
  fake_command /usr/sbin/lpd 0 "lpd: LPRng-3.8.28, Copyright 1988-2003 Patrick Powell"
  QIXLPMODE='' run_setup
  assert_log_contains "System Scheduler = LPR"$'\n'"Abandoned because:"
  fake_process_list "/usr/lib/lp/lpsched"
  QIXLPMODE='' run_setup
  assert_log_contains "System Scheduler = LP"$'\n'
  assert_eq "$(fake_calls lpd)" $'-V\n-V' "lpd calls"
}

# Four passes a second apart find nothing; links planted where names made from the process id would be
# are never written through, and no temporary file is left.
case_nothing_found() {
  fake_process_list
  remove_command lpd
  local name start
  for name in /tmp/QIXLPD{1..300} /tmp/QIXLPRNG{1..300}; do ln -s /etc/planted-target "$name"; done
  start=$(date +%s%N)
  QIXLPMODE='' run_setup
  local ms=$((($(date +%s%N) - start) / 1000000))
  assert_log_contains "System Scheduler = Unknown"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n'
  ((ms >= 4000)) || fail "the four passes took only $ms ms"
  assert_eq "$(fake_calls ps | wc -l)" 4 "ps calls"
  assert_no_file /etc/planted-target
  assert_eq "$(find /tmp -maxdepth 1 -name 'QIX*' ! -type l)" "" "temporary files left in /tmp"
}
