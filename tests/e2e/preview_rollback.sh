# The preview, the run's JSON result and the rollback against a real scheduler: the preview names exactly the
# queues and defaults the installation then refreshes and changes nothing; the rollback gives the old PPDs back.

# Every file, link and directory a run could touch, with its type, mode, owner and content.
machine_state() {
  local places=(/etc/cups /opt /var/log /usr/share/ppd /usr/share/cups/model /usr/bin/qixgsfilter /run/lock)
  { find "${places[@]}" -printf '%p %y %m %u %s %l\n' 2>/dev/null || true; } | sort
  { find "${places[@]}" -type f -exec sha256sum {} + 2>/dev/null || true; } | sort
}

# "queue option=value ..." per queue of a JSON result with the given outcome, in name order.
json_queues() {
  python3 - "$1" "$2" <<'EOF'
import json, sys
result = json.load(open(sys.argv[1]))
for q in sorted(result["queues"], key=lambda q: q["name"]):
    if q["outcome"] == sys.argv[2]:
        print(q["name"], *(f'{c["option"]}={c["value"]}' for c in q["carried"]),
              *(f'{k["option"]}:{k["old"]}->{k["value"]}:{k["reason"]}' for k in q["kept"]))
EOF
}

# Beside the queues on old package PPDs stand queues that are not the package's: no marker, a later or
# the current marker, a model outside the table; the refresh leaves them exactly as they were.
case_preview_install_and_rollback_agree() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi
  make_old_queue studio 91 ps 1.5 ColorModel=Gray PageSize=Legal
  make_old_queue annex 151 pxl 1.0 Resolution=300dpi Duplex=DuplexNoTumble
  old_ppd "$OLD_PPD_DIR/bay.ppd" 211 pcl 1.2 --sizes Letter,A4,B5
  add_queue bay "$OLD_PPD_DIR/bay.ppd"
  set_queue_defaults bay PageSize=B5 Duplex=DuplexTumble
  write_file /opt/vyr/office/root/orvoConfig $'# queue office\n%%ORVO_VERSION_1.0 (Orvo 1.0)\nTRAY 2\n'
  make_old_queue current 91 ps 4.0 Duplex=DuplexTumble
  make_old_queue plain 2 pcl none PageSize=A4
  make_old_queue later 2 pcl 2.0 PageSize=A4
  "$ORVO_BUILD_DIR/ppdgen" --model "Acme Laser 9" --pdl pcl --version 1.0 -o "$OLD_PPD_DIR/stranger.ppd"
  add_queue stranger "$OLD_PPD_DIR/stranger.ppd"
  set_queue_defaults stranger Resolution=300dpi
  echo "earlier run" >"$RUN_LOG"
  unpack_package
  local before
  before=$(machine_state)
  run_package_setup -n -q 1 </dev/null
  assert_eq "$(machine_state)" "$before" "the machine after the preview"
  assert_contains "$(cat /tmp/setup.out)" "4 queues: 4 would be refreshed, 0 would keep their PPD; 30 defaults carried, 2 new defaults kept."
  assert_contains "$(cat /tmp/setup.out)" "bay     PageSize      Letter          new default kept (B5: not offered)"
  run_package_setup -n -j
  cp /tmp/setup.out /tmp/preview.json
  assert_eq "$(machine_state)" "$before" "the machine after the JSON preview"

  install_from_package
  local result=/var/log/Orvo4.0_UpdateLog.json queue
  assert_eq "$(grep -v '^System has not been booted with systemd' /tmp/setup.err || true)" "" "standard error"
  assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi ColorModel=CMYK
  assert_queue_refreshed studio ColorModel=Gray PageSize=Legal Resolution=600dpi
  assert_queue_refreshed annex Resolution=300dpi Duplex=DuplexNoTumble PageSize=Letter
  assert_queue_refreshed bay PageSize=Letter Duplex=DuplexTumble
  for queue in plain later current stranger; do assert_queue_untouched "$queue"; done
  assert_eq "$(queue_default stranger Resolution)" 300dpi "default Resolution of stranger"
  assert_eq "$(cat /opt/vyr/office/root/orvoConfig)" $'# queue office\n%%ORVO_VERSION_3.0\nTRAY 2' "orvoConfig"
  # The probe finds the real scheduler and the server's header gives its version.
  assert_log_order "System Scheduler = CUPS"$'\n'"CUPS base dir: /"$'\n'"CUPS binary dir: /usr"$'\n'"CUPS Header Version : 2400//HTTP"$'\n' \
    "New installation" "List of Ostra Printers installed: 4." "List of Ostra PPD files to install: 4." \
    "PPD = /usr/share/ppd/vyr/orvo002-pcl.ppd.gz." "processPrinterConfig(office): updated."
  for queue in office studio annex bay; do assert_log_contains "Printer = $queue with PPD=/etc/cups/ppd/$queue.ppd"$'\n'; done
  assert_cups_restarts 2
  assert_eq "$(json_queues "$result" refreshed)" "$(json_queues /tmp/preview.json "would refresh")" "refreshed queues"
  # The result agrees with the run log on every queue and every default.
  python3 - "$result" "$RUN_LOG" <<'EOF' || fail "the JSON result and the run log disagree"
import json, sys
result, log = json.load(open(sys.argv[1])), open(sys.argv[2]).read()
assert result["kind"] == "install" and result["package"] == "installed" and result["restarted"]
assert sorted(q["name"] for q in result["queues"]) == sorted(log.split("Printer = ")[i].split(" ")[0]
                                                           for i in range(1, log.count("Printer = ") + 1))
for q in result["queues"]:
    section = log.split(f'Printer = {q["name"]} with PPD=')[1].split("=====")[0]
    assert q["outcome"] == "refreshed" and f'PPD = {q["newPpd"]}.' in section
    assert all(f'Setting new option: *{c["option"]}/{c["value"]}.' in section for c in q["carried"])
    assert all(f'Keeping new default *{k["option"]}/{k["value"]}: {k["old"]}' in section for k in q["kept"])
    assert section.count("processNewPPD: ") == len(q["carried"]) + len(q["kept"])
EOF

  # office loses its backup and bay's is swapped for a PPD of another maker: both stay as they are.
  rm /etc/cups/office.ppd.rpmsave
  "$ORVO_BUILD_DIR/ppdgen" --model "Acme Laser 9" --pdl pcl --version 1.0 -o /etc/cups/bay.ppd.rpmsave
  cp -p /etc/cups/ppd/office.ppd /etc/cups/ppd/bay.ppd /tmp/
  SCHEDULER_PID=$(cat "$CUPSD_PIDFILE")
  SETUP_BIN=/opt/vyr/bin/setup ask_setup $'y\n' -r
  cmp /etc/cups/ppd/studio.ppd "$PPDS_BEFORE/studio.ppd" || fail "studio did not get its old PPD back"
  assert_eq "$(stat -c '%U %G %a' /etc/cups/ppd/studio.ppd)" "$(stat -c '%U %G %a' "$PPDS_BEFORE/studio.ppd")" "owner"
  assert_eq "$(queue_default studio ColorModel) $(queue_default studio PageSize)" "Gray Legal" "studio defaults"
  for queue in office bay; do cmp "/etc/cups/ppd/$queue.ppd" "/tmp/$queue.ppd" || fail "$queue changed"; done
  assert_log_contains "Rollback of printer office: no backup /etc/cups/office.ppd.rpmsave; left alone."
  assert_log_contains "Rollback of printer bay: /etc/cups/bay.ppd.rpmsave is not a readable PPD of an older"
  assert_log_contains "Number of Orvo printers rolled back: 2."
  assert_cups_restarts 1
  assert_eq "$(json_queues "$result" "rolled back")" $'annex\nstudio' "rolled back queues"

  SETUP_BIN=/opt/vyr/bin/setup ask_setup $'y\n' -r
  assert_log_contains "Rollback of printer studio refused: its PPD is not newer than its backup"
  assert_log_contains "Number of Orvo printers rolled back: 0."
  cmp /etc/cups/ppd/studio.ppd "$PPDS_BEFORE/studio.ppd" || fail "a second rollback changed studio"
}
