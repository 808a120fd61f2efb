# De-installation against a real cupsd: the package's queues are deleted with the real lpadmin.

# write_info, install_package and deinstall: the package arrangement of the system scenarios.
# shellcheck source=../system/deinstall.sh
source "$ORVO_SOURCE_DIR/tests/system/deinstall.sh"

# A plain PostScript PPD that cupstestppd passes; the queues only need to exist.
write_plain_ppd() {
  cat >"$1" <<'PPD'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PLAIN.PPD"
*Manufacturer: "Plain"
*Product: "(Plain)"
*ModelName: "Plain Printer"
*ShortNickName: "Plain Printer"
*NickName: "Plain Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
PPD
}

# Queues qa and qb belong to the package, "office" does not.
cups_with_package_queues() {
  write_plain_ppd /tmp/plain.ppd
  start_cupsd
  local queue
  for queue in qa qb office; do add_queue "$queue" /tmp/plain.ppd; done
  install_package /opt/vyr qa qb
  write_file /opt/vyr/notes.txt "not the package's"
}

queues() {
  lpstat -p 2>/dev/null | awk '$1 == "printer" {print $2}' | sort | tr '\n' ' '
}

case_removes_package_queues_and_files() {
  cups_with_package_queues
  assert_eq "$(queues)" "office qa qb " "queues before"
  deinstall y

  assert_eq "$(queues)" "office " "queues after"
  assert_eq "$(ls -A /opt/vyr)" "notes.txt" "what is left in /opt/vyr"
  assert_no_file /usr/bin/qixgsfilter
  assert_eq "$(cat /tmp/stderr; echo .)" $'Orvo 4.0-0 has been un-installed from the system.\n\n.' "standard error"
  assert_log_contains "System Scheduler = CUPS"
  # Each queue went at the first attempt.
  assert_eq "$(run_log | grep -c 'Executing command:')" 2 "commands"
  assert_log_order "Number of Orvo printers found: 3." "lpadmin -xqa 2>/dev/null" "Deleting the Orvo printer: qa." \
    "lpadmin -xqb 2>/dev/null" "Deleting the Orvo printer: qb." "Deleting directory: '/opt/vyr/bin' - OK." \
    "Orvo 4.0-0 has been un-installed from the system."
}

case_answer_no_keeps_queues() {
  cups_with_package_queues
  deinstall no
  assert_eq "$(queues)" "office qa qb " "queues after"
  assert_file_exists /opt/vyr/qa/root/orvoConfig
  assert_file_exists /opt/vyr/qb.sh
  assert_file_exists /opt/vyr/bin/setup
  assert_contains "$(cat /tmp/stderr)" "Program abandoned by user."
  assert_log_contains "Program abandoned by user."
}
