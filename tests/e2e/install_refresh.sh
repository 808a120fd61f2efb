# A new installation from the unpacked sample package against the real scheduler: every queue on one of
# the package's older PPDs (marker 1.x) moves to the package's new PPD for its model and PDL, keeping the
# defaults the administrator chose; every other queue stays exactly as it was.

# Four queues on old package PPDs with defaults of their own; beside them, queues that are not the
# package's to refresh: no marker, a later or the current marker, a model outside the table.
case_new_installation_refreshes_every_old_queue() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi
  make_old_queue studio 91 ps 1.5 ColorModel=Gray PageSize=Legal
  make_old_queue annex 151 pxl 1.0 Resolution=300dpi Duplex=DuplexNoTumble
  old_ppd "$OLD_PPD_DIR/bay.ppd" 211 pcl 1.2 --sizes Letter,A4,B5
  add_queue bay "$OLD_PPD_DIR/bay.ppd"
  set_queue_defaults bay PageSize=B5 Duplex=DuplexTumble
  write_file /opt/vyr/office/root/orvoConfig $'# queue office\n%%ORVO_VERSION_1.0 (Orvo 1.0)\nTRAY 2\n'
  make_old_queue plain 2 pcl none PageSize=A4
  make_old_queue later 2 pcl 2.0 PageSize=A4
  make_old_queue current 91 ps 4.0 Duplex=DuplexTumble
  "$ORVO_BUILD_DIR/ppdgen" --model "Acme Laser 9" --pdl pcl --version 1.0 -o "$OLD_PPD_DIR/stranger.ppd"
  add_queue stranger "$OLD_PPD_DIR/stranger.ppd"
  set_queue_defaults stranger Resolution=300dpi
  install_from_package
  assert_eq "$(grep -v '^System has not been booted with systemd' /tmp/setup.err || true)" "" "standard error"
  assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi ColorModel=CMYK
  assert_queue_refreshed studio ColorModel=Gray PageSize=Legal Resolution=600dpi
  assert_queue_refreshed annex Resolution=300dpi Duplex=DuplexNoTumble PageSize=Letter
  assert_queue_refreshed bay PageSize=Letter Duplex=DuplexTumble
  local queue
  for queue in plain later current stranger; do
    assert_queue_untouched "$queue"
    assert_log_lacks "Printer : $queue."
  done
  assert_eq "$(queue_default stranger Resolution)" 300dpi "default Resolution of stranger"
  assert_eq "$(lpstat -p | grep -c '^printer .* is idle.  enabled since')" 8 "enabled queues"
  assert_eq "$(cat /opt/vyr/office/root/orvoConfig)" $'# queue office\n%%ORVO_VERSION_3.0\nTRAY 2' "orvoConfig"
  # The probe finds the real scheduler and the server's header gives its version.
  assert_log_order "System Scheduler = CUPS"$'\n'"CUPS base dir: /"$'\n'"CUPS binary dir: /usr"$'\n'"CUPS Header Version : 2400//HTTP"$'\n' \
    "New installation" "List of Ostra Printers installed: 4." "List of Ostra PPD files to install: 4." \
    "PPD = /usr/share/ppd/vyr/orvo002-pcl.ppd.gz." "processPrinterConfig(office): updated."
  assert_log_contains "processNewPPD: Keeping new default *PageSize/Letter: B5 not offered."
  for queue in office studio annex bay; do assert_log_contains "Printer = $queue with PPD=/etc/cups/ppd/$queue.ppd"$'\n'; done
  assert_cups_restarts 2
  assert_eq "$(fake_calls systemctl)" $'restart cups.service\nrestart cups.service' "systemctl calls"
}
