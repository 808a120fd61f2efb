# Upgrades from the unpacked sample package against the real scheduler: over an installation of this
# generation (orvoInfo4.0) and from the older one (orvoInfo2.0, whose PPD directory is archived first).

# A scheduler and two queues of an earlier installation.
earlier_queues() {
  start_cupsd
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble
  make_old_queue studio 91 ps 1.1 ColorModel=Gray
}

assert_queues_refreshed() {
  assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble
  assert_queue_refreshed studio ColorModel=Gray
  assert_cups_restarts 1
}

case_upgrade_over_current_installation() {
  container_service_manager
  earlier_queues
  write_file /opt/vyr/bin/setup "an earlier setup" 755
  write_info_file /opt/vyr/orvoInfo4.0 "Orvo 4.0 Information File" /opt/vyr Default office studio
  cp /opt/vyr/orvoInfo4.0 /tmp/info-before
  install_from_package
  assert_log_order $'Found an existing Orvo 3.0 installation in the directory:\n/opt/vyr.' "Upgrade Mode = 2." \
    "Number of Orvo printers found: 3." "Skip creating configuration file: '/opt/vyr/orvoInfo3.0'." \
    "Copying file bin/setup to /opt/vyr/bin." "List of Ostra Printers installed: 2."
  cmp -s /opt/vyr/orvoInfo4.0 /tmp/info-before || fail "orvoInfo4.0 changed"
  cmp -s /opt/vyr/bin/setup "$PACKAGE_DIR/bin/setup" || fail "/opt/vyr/bin/setup is not the package's"
  assert_no_file /var/tmp/OrvoPPDFiles4.0-0.tar
  assert_queues_refreshed
}

# A machine without a service manager: restarts go to `service cups restart` at once.
case_upgrade_from_older_generation_archives_ppds() {
  remove_command systemctl
  earlier_queues
  old_ppd /usr/share/ppd/vyr/orvo002-pcl.ppd.gz 2 pcl 1.0
  write_file /usr/share/ppd/vyr/ReadMe.vyr "PPDs of Orvo 2.0"
  cp -a /usr/share/ppd/vyr /tmp/ppd-dir-before
  write_info_file /opt/vyr/orvoInfo2.0 "Orvo 2.0 Information File" /opt/vyr Default office
  cp /opt/vyr/orvoInfo2.0 /tmp/info-before
  write_file /root/secret "root only" 600
  setpriv --reuid 65534 --regid 65534 --clear-groups ln -s /root/secret /var/tmp/OrvoPPDFiles4.0-0.tar
  install_from_package
  assert_eq "$(stat -c '%a %U' /var/tmp/OrvoPPDFiles4.0-0.tar) $(cat /root/secret)" "600 root root only" "archive, secret"
  assert_log_order "Upgrade Mode = 1." "Number of Orvo printers found: 2." "Saved PPD files from: /usr/share/ppd/vyr." \
    "To: /var/tmp/OrvoPPDFiles4.0-0.tar." "Copying Orvo config file /opt/vyr/orvoInfo2.0 to orvoInfo3.0."
  # The archive holds the directory as it was before the package's PPDs replaced its files.
  local archive=/var/tmp/OrvoPPDFiles4.0-0.tar
  assert_eq "$(tar tf "$archive" | sort | xargs)" "ReadMe.vyr orvo002-pcl.ppd.gz" "archive entries"
  tar xOf "$archive" orvo002-pcl.ppd.gz | cmp -s - /tmp/ppd-dir-before/orvo002-pcl.ppd.gz || fail "the archived PPD differs"
  cmp -s /usr/share/ppd/vyr/orvo002-pcl.ppd.gz "$PACKAGE_DIR/ppd/orvo002-pcl.ppd.gz" || fail "the older PPD stayed"
  # The older information file stays; the new one is its copy with the new title line.
  cmp -s /opt/vyr/orvoInfo2.0 /tmp/info-before || fail "orvoInfo2.0 changed"
  assert_eq "$(cat /opt/vyr/orvoInfo4.0)" "$(sed 's/^# Orvo 2.0 Information File$/# Orvo 3.0 Information File/' /tmp/info-before)" "orvoInfo4.0"
  assert_queues_refreshed
  assert_log_lacks "CUPS restart command"
}
