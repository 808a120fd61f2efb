# The description of a machine running the real CUPS server: the probe finds the scheduler in the process
# list, the server's header gives the version, and the PPD directories of the machine are reported.

case_describes_real_server() {
  start_cupsd
  QIXLPMODE='' run_setup
  assert_log_order "Starting Orvo 4.0-0 installation : " \
    "Directory from which we install: '$ORVO_BUILD_DIR'."$'\n' \
    "SELinux is running: No."$'\n' \
    "System Scheduler = CUPS"$'\n' \
    "CUPS base dir: /"$'\n' \
    "CUPS binary dir: /usr"$'\n' \
    "CUPS Header Version : 2400//HTTP"$'\n' \
    "lpadmin = /usr/sbin/lpadmin"$'\n' \
    "lpstat  = /usr/bin/lpstat"$'\n' \
    "=======================================" \
    "Sytem PPD locations:"$'\n'"CUPS model directory: /usr/share/cups/model"$'\n' \
    "Share ppd directory : /usr/share/ppd"$'\n' \
    "System ppd directory: /usr/share/ppd"$'\n' \
    "PPD installation dir: /usr/share/ppd/vyr"$'\n'
  # cups-filters brings foomatic-rip, and the scheduler is CUPS: nothing to abandon.
  assert_log_lacks "Abandoned because" "CUPS Version : "
  assert_eq "$(cat /tmp/setup.out)" "" "standard output"
  assert_no_temp_files
  stop_cupsd
}
