# The install branch: new installation or upgrade, where the package goes, and the ways a run stops
# before installing. The package is unpacked under /srv; CUPS restarts go to a fake systemctl.

# shellcheck source=printer_refresh.sh
source "$ORVO_SOURCE_DIR/tests/system/printer_refresh.sh"

PACKAGE_PPD="Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"

# The closing line without its time.
CLOSING="Finishing Orvo 4.0-0 installation : "

# Nothing of the package was installed and CUPS was not restarted.
assert_installed_nothing() {
  assert_no_file /opt/vyr/bin/setup
  assert_no_file "$NEW_PPD_DIR/orvo002-pcl.ppd.gz"
  assert_eq "$(fake_calls systemctl)" "" "CUPS restarts"
  assert_not_contains "$(run_log)" "goInstall"
}

case_non_cups_run_stops_after_installation_lines() {
  fake_restart
  make_package "$PACKAGE_PPD"
  QIXLPMODE=LPRNG run_setup
  assert_log_order $'System Scheduler = LPRNG\n' $'New installation\n' "ORVOINST.CONF = $PKG/etc/ORVOINST.CONF." \
    $'\nBecause of insufficient data, setup stopped.\n'"$CLOSING"
  assert_eq "$(cat /tmp/setup.err)" "" "standard error"
  assert_installed_nothing

  # An installation made on CUPS, then a run on a machine that is no longer CUPS: the upgrade lines,
  # then the same stop; the information file is left as it was.
  run_setup
  assert_file_exists /opt/vyr/orvoInfo4.0
  cp /opt/vyr/orvoInfo4.0 /root/info
  rm -rf "$FAKE_CALLS_DIR" /opt/vyr/bin "$NEW_PPD_DIR"
  QIXLPMODE=LPRNG run_setup -q 1
  assert_log_order $'System Scheduler = LPRNG\n' \
    $'Found an existing Orvo 3.0 installation in the directory:\n/opt/vyr.\n' $'Upgrade Mode = 2.\n' \
    $'The installation directory:\n\t\'/opt/vyr\'\nexists and is OK.\n' "Number of Orvo printers found: " \
    $'\nBecause of insufficient data, setup stopped.\n'"$CLOSING"
  assert_eq "$(cat /tmp/setup.err)" "" "standard error"
  assert_eq "$(cat /tmp/setup.out)" "" "questions"
  cmp -s /root/info /opt/vyr/orvoInfo4.0 || fail "the information file changed"
  assert_installed_nothing
}

case_query_mode_answer_no_abandons() {
  fake_restart
  make_package "$PACKAGE_PPD"
  run_setup
  rm -rf "$FAKE_CALLS_DIR" /opt/vyr/bin "$NEW_PPD_DIR"
  cp /opt/vyr/orvoInfo4.0 /root/info
  local generation question mode
  for generation in 4.0 2.0; do
    case $generation in
      4.0) question="Would you like to update Orvo 4.0-0?" mode=2 ;;
      # The older generation's information file wins.
      2.0)
        question="Would you like to update Orvo 3.0 from Orvo 2.0?" mode=1
        write_file /opt/vyr/orvoInfo2.0 $'Information File Orvo 2.0\nUSRDIR          /opt/vyr\n'
        ;;
    esac
    ask_setup $'n\n' -q 1
    assert_eq "$(cat /tmp/setup.out)" "$question"$'\nAnswer with y[es] or n[o], followed by <RETURN> please. ' \
      "question ($generation)"
    assert_eq "$(cat /tmp/setup.err; echo .)" $'Program abandoned by user.\n\n.' "standard error ($generation)"
    assert_log_order "Upgrade Mode = $mode." $'\nProgram abandoned by user.\n'"$CLOSING"
    assert_installed_nothing
    cmp -s /root/info /opt/vyr/orvoInfo4.0 || fail "the information file changed"
    assert_no_file /var/tmp/OrvoPPDFiles4.0-0.tar
  done
}

case_install_directory_choice() {
  fake_restart
  make_package "$PACKAGE_PPD"

  # New installation: -u names the directory, less its trailing "/".
  run_setup -u /srv/pkg/
  assert_log_order $'New installation\n' $'Installation directory: \'/srv/pkg\' OK. \n' "$CLOSING"
  assert_file_exists /srv/pkg/bin/setup
  assert_file_exists /srv/pkg/orvoInfo4.0
  assert_no_file /opt/vyr/bin
  assert_no_file /opt/vyr/orvoInfo4.0

  # The information file in /opt/vyr records /srv/pkg: an upgrade goes there, whatever -u says.
  mkdir -p /opt/vyr
  cp /srv/pkg/orvoInfo4.0 /opt/vyr/orvoInfo4.0
  rm /srv/pkg/bin/setup
  run_setup -u /srv/other/
  assert_log_order $'Found an existing Orvo 3.0 installation in the directory:\n/srv/pkg.\n' $'Upgrade Mode = 2.\n' \
    $'Installation directory: \'/srv/pkg\' OK. \n'
  assert_file_exists /srv/pkg/bin/setup
  assert_no_file /srv/other

  # The recorded directory is gone: a new installation into the -u directory.
  rm -rf /srv/pkg
  ask_setup $'y\n' -q 1 -u /srv/new/
  assert_log_order $'Found an existing Orvo 3.0 installation in the directory:\n/srv/pkg.\n' \
    $'The installation directory:\n\t\'/srv/pkg\'\ndoes not exist or is not OK.\n' \
    $'Installation directory: \'/srv/new\' OK. \n' "$CLOSING"
  assert_not_contains "$(run_log)" "Upgrade Mode"
  assert_contains "$(cat /tmp/setup.out)" "Would you like to install Orvo 4.0-0?"
  assert_file_exists /srv/new/bin/setup
  assert_no_file /srv/pkg
}

case_missing_manifest_stops() {
  fake_restart
  make_package "$PACKAGE_PPD"
  local manifest
  for manifest in missing empty; do
    rm -f "$RUN_LOG" "$PKG/etc/ORVOINST.CONF"
    [[ $manifest == missing ]] || write_file "$PKG/ORVOINST.CONF" $'# nothing to install\n@@NULL\n'
    ask_setup $'y\n' -q 1
    [[ $manifest == empty ]] || assert_log_contains "Cannot open info file: '$PKG/ORVOINST.CONF'."
    assert_log_order $'New installation\n' \
      $'Orvo 3.0 installation missing info:\n\t\''"$PKG"$'/ORVOINST.CONF\'.\nAbandon...\n' \
      $'Because of insufficient data, setup stopped.\n'"$CLOSING"
    # The run stops before the question.
    assert_eq "$(cat /tmp/setup.out)" "" "questions ($manifest)"
    assert_eq "$(cat /tmp/setup.err)" "" "standard error ($manifest)"
    assert_installed_nothing
  done
}
