# Installing with -q 1 against the real scheduler: the answers typed at the terminal (here fed on
# standard input) decide whether the package is installed and which queues are refreshed.

# Queues office, studio and annex (or the ones named) on older package PPDs, each with its configuration
# file.
old_queues() {
  start_cupsd
  container_service_manager
  local queue
  (($# > 0)) || set -- office studio annex
  for queue in "$@"; do
    case $queue in
      office) make_old_queue office 2 pcl 1.0 PageSize=A4 ;;
      studio) make_old_queue studio 91 ps 1.0 Duplex=DuplexTumble ;;
      annex) make_old_queue annex 151 pxl 1.5 Resolution=1200dpi ;;
    esac
    write_file "/opt/vyr/$queue/root/orvoConfig" $'%%ORVO_VERSION_1.0\n'
  done
}

# The queues asked about, in the order of the questions.
asked_queues() {
  grep -o 'Do you want to update printer: [^?]*?' /tmp/setup.out | sed 's/^Do you want to update printer: //; s/?$//'
}

assert_config_marker() {
  assert_eq "$(cat "/opt/vyr/$1/root/orvoConfig")" "%%ORVO_VERSION_$2" "orvoConfig of $1"
}

# Declined, the install changes nothing and restarts nothing; then, No to the first printer and Yes to
# the second refreshes the second alone.
case_no_then_yes_refreshes_the_second_queue_only() {
  old_queues office studio
  install_from_package -q 1 <<<n
  assert_contains "$(cat /tmp/setup.out)" "Would you like to install Orvo 4.0-0?"
  local queue
  for queue in office studio; do
    assert_queue_untouched "$queue"
    assert_config_marker "$queue" 1.0
  done
  assert_no_file /opt/vyr/bin/setup /opt/vyr/orvoInfo4.0
  assert_cups_restarts 0
  assert_eq "$(cat "$CUPSD_PIDFILE")" "$SCHEDULER_PID" "scheduler pid"

  install_from_package -q 1 <<<$'y\nn\ny'
  local first second
  first=$(asked_queues | sed -n 1p)
  second=$(asked_queues | sed -n 2p)
  assert_eq "$(asked_queues | sort | xargs)" "office studio" "queues asked about"
  assert_queue_untouched "$first"
  assert_config_marker "$first" 1.0
  assert_queue_refreshed "$second"
  assert_config_marker "$second" 3.0
  assert_eq "$(run_log | grep '^Printer = ')" "Printer = $second with PPD=/etc/cups/ppd/$second.ppd" "refreshed queues"
  assert_cups_restarts 2
}

case_all_refreshes_the_rest_without_asking() {
  old_queues
  install_from_package -q 1 <<<$'y\na'
  assert_eq "$(grep -c 'Do you want to update printer: ' /tmp/setup.out)" 1 "questions about printers"
  assert_queue_refreshed office PageSize=A4
  assert_queue_refreshed studio Duplex=DuplexTumble
  assert_queue_refreshed annex Resolution=1200dpi
  local queue
  for queue in office studio annex; do assert_config_marker "$queue" 3.0; done
  assert_cups_restarts 2
}

case_break_stops_refresh_and_its_restart() {
  old_queues
  install_from_package -q 1 <<<$'y\ny\nb'
  assert_eq "$(asked_queues | wc -l)" 2 "questions about printers"
  local first second third queue
  first=$(asked_queues | sed -n 1p)
  second=$(asked_queues | sed -n 2p)
  third=$(printf '%s\n' office studio annex | grep -vxF -e "$first" -e "$second")
  assert_queue_refreshed "$first"
  assert_config_marker "$first" 3.0
  for queue in "$second" "$third"; do
    assert_queue_untouched "$queue"
    assert_config_marker "$queue" 1.0
  done
  assert_eq "$(run_log | grep -c '^Printer = ')" 1 "refreshed queues"
  # Only the installation's own restart, after the refresh of the first queue.
  assert_cups_restarts 1
  assert_log_order "Copying /tmp/qixot" " to /etc/cups/ppd/$first.ppd: result=0" \
    'CUPS restart command:"/usr/bin/systemctl restart cups.service"' "CUPS reset returned with: 256" \
    "CUPS reset returned with: 0" "Finishing Orvo 4.0-0 installation : "
}
