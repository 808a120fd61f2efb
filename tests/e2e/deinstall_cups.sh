# De-installation against a real cupsd: the package's queues are deleted with the real lpadmin.

# shellcheck source=../system/deinstall.sh
source "$ORVO_SOURCE_DIR/tests/system/deinstall.sh"

queues() {
  lpstat -p 2>/dev/null | awk '$1 == "printer" {print $2}' | sort | xargs
}

# Queues qa and qb belong to the package, "office" does not. Answered "no", the run removes nothing;
# answered "y", the package's queues, their directories and start scripts and the package files go.
case_removes_package_queues_and_files() {
  old_ppd /tmp/plain.ppd 2 pcl none
  start_cupsd
  local queue before
  for queue in qa qb office; do add_queue "$queue" /tmp/plain.ppd; done
  install_package /opt/vyr qa qb
  write_file /opt/vyr/notes.txt "not the package's"
  before=$(find /opt/vyr /usr/bin/qixgsfilter | sort)

  QIXLPMODE='' deinstall no
  assert_eq "$(queues)" "office qa qb" "queues after no"
  assert_eq "$(find /opt/vyr /usr/bin/qixgsfilter | sort)" "$before" "files after no"
  assert_log_lacks "Deleting"

  QIXLPMODE='' deinstall y
  assert_eq "$(queues)" "office" "queues after yes"
  assert_eq "$(ls -A /opt/vyr)" "notes.txt" "what is left in /opt/vyr"
  assert_no_file /usr/bin/qixgsfilter
  # The probe finds the real scheduler, and each queue goes at the first attempt.
  assert_log_contains "System Scheduler = CUPS"
  assert_eq "$(run_log | grep -c 'Executing command:')" 2 "commands"
  assert_log_order "Number of Orvo printers found: 3." "lpadmin -xqa 2>/dev/null" "Deleting the Orvo printer: qa." \
    "lpadmin -xqb 2>/dev/null" "Deleting the Orvo printer: qb." "Deleting directory: '/opt/vyr/bin' - OK." \
    "Orvo 4.0-0 has been un-installed from the system."
}
