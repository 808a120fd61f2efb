# Print-system detection: the environment variables, the process-list probe with `lpd -V`, and the CUPS
# layout read on the way. `ps` and `lpd` are scripts here; nothing else of the machine is faked.
# Case and file names stay clear of the words the probe looks for, as the probe sees this script run.
# QIXLPMODE='' leaves the variable unset, so the probe decides.

# A process list of a plain machine plus the given command lines; the probe's own grep shows in it, as
# it does in a real one.
fake_process_list() {
  local lines="UID          PID    PPID  C STIME TTY          TIME CMD
root           1       0  0 10:00 ?        00:00:01 /sbin/init
root         977     812  0 10:00 pts/0    00:00:00 grep /usr/sbin/cupsd" line
  for line in "$@"; do lines+=$'\n'"root         812       1  0 10:00 ?        00:00:00 $line"; done
  fake_command /usr/bin/ps 0 "$lines"
}

# The two layout lines of the log.
assert_layout() {
  assert_log_contains "CUPS base dir: $1"$'\n'"CUPS binary dir: $2"$'\n'
}

case_environment_precedence() {
  fake_process_list "/usr/sbin/cupsd -l"
  QIXLPMODE=LPRNG ORVOLPMODE=CUPS run_setup
  assert_log_order "System Scheduler = LPRNG"$'\n' "Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n'"*** Sorry ***"$'\n'
  QIXLPMODE='' ORVOLPMODE=LP run_setup
  assert_log_contains "System Scheduler = LP"$'\n'
  # Named by the environment, CUPS keeps its directories empty; the commands come from the system list.
  run_setup
  assert_log_order "System Scheduler = CUPS"$'\n'"CUPS base dir: "$'\n'"CUPS binary dir: "$'\n' \
    "lpadmin = /usr/sbin/lpadmin"$'\n'"lpstat  = /usr/bin/lpstat"$'\n'
  assert_eq "$(fake_calls ps)" "" "ps calls"
  # Set but not a kind: the second variable is not read, the probe decides and fills the directories.
  QIXLPMODE=cups ORVOLPMODE=LP run_setup
  assert_log_contains "System Scheduler = CUPS"$'\n'
  assert_layout / /usr
  assert_eq "$(fake_calls ps)" "-ef" "ps calls"
}

case_cups_layout() {
  fake_process_list "/usr/sbin/cupsd -l"
  rm -f /etc/init.d/cups
  # No start-up script: the prefix of the process line, and "/" because /etc/cups exists.
  QIXLPMODE='' run_setup
  assert_layout / /usr
  assert_log_contains "lpadmin = /usr/sbin/lpadmin"$'\n'
  # A cupsd shown without its path: the standard layout all the same.
  fake_process_list "cupsd -f"
  QIXLPMODE='' run_setup
  assert_layout / /usr
  # The script wins over the process line; nothing to run lies below its prefix, so bare names.
  fake_process_list "/usr/sbin/cupsd -l"
  write_file /etc/init.d/cups $'#!/bin/sh\nprefix=/opt/cups\nexec_prefix=/opt/cups\n'
  QIXLPMODE='' run_setup
  assert_layout /opt/cups /opt/cups
  assert_log_contains "lpadmin = lpadmin"$'\n'"lpstat  = lpstat"$'\n'
  # Only exec_prefix: the binary dir from the script, the base dir stays empty.
  fake_process_list "/opt/cups/sbin/cupsd"
  write_file /etc/init.d/cups $'exec_prefix=/usr\n'
  QIXLPMODE='' run_setup
  assert_layout "" /usr
  # Values are taken verbatim from the first script that opens, quotes and comments included.
  rm /etc/init.d/cups
  write_file /etc/init.d/cupsys $'  exec_prefix="/srv/cups" # by the installer\n# prefix="/srv"\n'
  QIXLPMODE='' run_setup
  assert_layout '"/srv"' '"/srv/cups" # by the installer'
  # A first script without either key: the fallback, the later script is not read.
  write_file /etc/init.d/cups $'#!/bin/sh\necho starting\n'
  fake_process_list "/usr/sbin/cupsd -l"
  QIXLPMODE='' run_setup
  assert_layout / /usr
}

case_other_spoolers() {
  # lpd in the process list, and its -V answer names LPRng on the error output.
  fake_process_list "/usr/sbin/lpd -F"
  fake_command /usr/sbin/lpd 0 "" "lpd: LPRng-3.8.28, Copyright 1988-2003 Patrick Powell"
  QIXLPMODE='' run_setup
  assert_log_order "System Scheduler = LPRNG"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n' \
    "*** Sorry ***"$'\n'"=======================================" "Sytem PPD locations:" "PPD installation dir: "
  assert_log_lacks "CUPS base dir" "lpadmin = "
  assert_eq "$(fake_calls lpd)" "-V" "lpd calls"
  # The same words on its standard output: a BSD lpd.
  fake_command /usr/sbin/lpd 0 "lpd: LPRng-3.8.28, Copyright 1988-2003 Patrick Powell"
  QIXLPMODE='' run_setup
  assert_log_contains "System Scheduler = LPR"$'\n'"Abandoned because:"
  # lpsched ends the probe at once: lpd is not asked.
  fake_process_list "/usr/lib/lp/lpsched"
  QIXLPMODE='' run_setup
  assert_log_contains "System Scheduler = LP"$'\n'
  assert_eq "$(fake_calls lpd | wc -l)" 2 "lpd calls"
}

case_nothing_found() {
  fake_process_list
  remove_command lpd
  # Links where fixed names made from the process id would be: the probe must never write through them.
  local pid start
  for ((pid = 1; pid <= 300; pid++)); do
    ln -s /etc/planted-target "/tmp/QIXLPD$pid"
    ln -s /etc/planted-target "/tmp/QIXLPRNG$pid"
  done
  start=$(date +%s%N)
  QIXLPMODE='' run_setup
  local ms=$((($(date +%s%N) - start) / 1000000))
  assert_log_contains "System Scheduler = Unknown"$'\n'"Abandoned because:"$'\n'"* No running CUPS daemon found!"$'\n'
  ((ms >= 4000)) || fail "the four passes took only $ms ms"
  assert_eq "$(fake_calls ps | wc -l)" 4 "ps calls"
  assert_no_file /etc/planted-target
  assert_eq "$(find /tmp -maxdepth 1 -name 'QIX*' ! -type l)" "" "temporary files left in /tmp"
}
