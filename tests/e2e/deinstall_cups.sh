# De-installation against a real cupsd: the package's queues are deleted with the real lpadmin.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# Queues qa and qb belong to the package, "office" does not.
case_removes_package_queues_and_files() {
  old_ppd /tmp/plain.ppd 2 pcl none
  start_cupsd
  local queue
  for queue in qa qb office; do add_queue "$queue" /tmp/plain.ppd; done
  install_package /opt/vyr qa qb
  QIXLPMODE='' deinstall y
  assert_eq "$(lpstat -p 2>/dev/null | awk '$1 == "printer" {print $2}' | sort | xargs)" "office" "queues after yes"
  assert_eq "$(ls -A /opt/vyr)" "" "what is left in /opt/vyr"
  assert_no_file /usr/bin/qixgsfilter
  assert_eq "$(run_log | grep -c 'Executing command:')" 2 "commands"
  assert_log_order "System Scheduler = CUPS" "Number of Orvo printers found: 3." "lpadmin -xqa 2>/dev/null" \
    "Deleting the Orvo printer: qa." "lpadmin -xqb 2>/dev/null" "Orvo 4.0-0 has been un-installed from the system."
}
