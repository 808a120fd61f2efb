# The preview, the run's JSON result and the rollback against a real scheduler: the preview names exactly the
# queues and defaults the installation then refreshes and changes nothing; the rollback gives the old PPDs back.

# Every file, link and directory a run could touch, with its type, mode, owner and content; not the
# scheduler's own list of queues, which it writes when it likes (and with it the size of /etc/cups).
machine_state() {
  local places=(/etc/cups /opt /var/log /usr/share/ppd /usr/share/cups/model /usr/bin/qixgsfilter /run)
  { find "${places[@]}" -name 'printers.conf*' -prune -o -printf '%p %y %m %u %s %l\n' 2>/dev/null || true; } |
    sed -E 's/^(\S+ d \S+ \S+) [0-9]+/\1/' | sort
  { find "${places[@]}" -name 'printers.conf*' -prune -o -type f -exec sha256sum {} + 2>/dev/null || true; } | sort
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

# Beside the queues on old package PPDs stand queues that are not the package's (no marker, the current
# marker): the refresh leaves them exactly as they were.
case_preview_install_and_rollback_agree() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi
  make_old_queue studio 91 ps 1.5 ColorModel=Gray PageSize=Legal
  make_old_queue annex 151 pxl 1.0 Resolution=300dpi Duplex=DuplexNoTumble
  old_ppd "$OLD_PPD_DIR/bay.ppd" 211 pcl 1.2 --sizes Letter,A4,B5
  add_queue bay "$OLD_PPD_DIR/bay.ppd"
  set_queue_defaults bay PageSize=B5 Duplex=DuplexTumble
  make_old_queue current 91 ps 4.0 Duplex=DuplexTumble
  make_old_queue plain 2 pcl none PageSize=A4
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
  for queue in plain current; do assert_queue_untouched "$queue"; done
  # The probe finds the real scheduler and the server's header gives its version.
  assert_log_contains "System Scheduler = CUPS"$'\n'"CUPS base dir: /"$'\n'"CUPS binary dir: /usr"$'\n'"CUPS Header Version : 2400//HTTP"$'\n'
  assert_log_contains $'\nPrinter = office with PPD=/etc/cups/ppd/office.ppd\n'
  assert_cups_restarts 1
  assert_eq "$(json_queues "$result" refreshed)" "$(json_queues /tmp/preview.json "would refresh")" "refreshed queues"
  # The result agrees with the run log on what was done and on the number of defaults decided.
  assert_eq "$(python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); print(r["kind"], r["package"], r["restarted"],
    sum(len(q["carried"]) + len(q["kept"]) for q in r["queues"]))' "$result")" "install installed True $(grep -c '^processNewPPD: ' "$RUN_LOG")" "result"

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
  assert_cups_restarts 1
  assert_eq "$(json_queues "$result" "rolled back")" $'annex\nstudio' "rolled back queues"

  SETUP_BIN=/opt/vyr/bin/setup ask_setup $'y\n' -r
  assert_log_contains "Rollback of printer studio refused: its PPD is not newer than its backup"
  cmp /etc/cups/ppd/studio.ppd "$PPDS_BEFORE/studio.ppd" || fail "a second rollback changed studio"
}
