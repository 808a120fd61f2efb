# The install branch: new installation or upgrade, where the package goes, and the ways a run stops
# before installing. The package is unpacked under /srv; CUPS restarts go to a fake systemctl.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

CLOSING="Finishing Orvo 4.0-0 installation : "

# Nothing of the package was installed, CUPS was not restarted, the information file (if kept in
# /root/info) is as it was.
assert_installed_nothing() {
  assert_no_file /opt/vyr/bin/setup "$NEW_PPD_DIR/orvo002-pcl.ppd.gz" /var/tmp/OrvoPPDFiles4.0-0.tar
  assert_eq "$(fake_calls systemctl)" "" "CUPS restarts"
  [[ ! -e /root/info ]] || cmp -s /root/info /opt/vyr/orvoInfo4.0 || fail "the information file changed"
}

# An installation made on CUPS, with its information file kept in /root/info and its files removed.
installed_earlier() {
  run_setup
  cp /opt/vyr/orvoInfo4.0 /root/info
  rm -rf "$FAKE_CALLS_DIR" /opt/vyr/bin "$NEW_PPD_DIR"
}

# Not CUPS: the installation lines, then the stop, without a question; on a new machine and on an upgrade.
case_non_cups_run_stops_after_installation_lines() {
  make_package
  QIXLPMODE=LPRNG run_setup
  assert_log_order $'System Scheduler = LPRNG\n' $'New installation\n' "ORVOINST.CONF = $PKG/etc/ORVOINST.CONF." \
    $'\nBecause of insufficient data, setup stopped.\n'"$CLOSING"
  assert_installed_nothing
  installed_earlier
  QIXLPMODE=LPRNG run_setup -q 1
  assert_log_order $'Found an existing Orvo 3.0 installation in the directory:\n/opt/vyr.\n' $'Upgrade Mode = 2.\n' \
    $'The installation directory:\n\t\'/opt/vyr\'\nexists and is OK.\n' "Number of Orvo printers found: " \
    $'\nBecause of insufficient data, setup stopped.\n'"$CLOSING"
  assert_eq "$(cat /tmp/setup.err)$(cat /tmp/setup.out)" "" "standard error and questions"
  assert_installed_nothing
}

# Declining the question, or giving no answer, abandons the run, whichever generation is found.
case_query_mode_answer_no_abandons() {
  make_package
  ask_setup "" -q 1
  assert_eq "$(cat /tmp/setup.out)" $'Would you like to install Orvo 4.0-0?\nAnswer with y[es] or n[o], followed by <RETURN> please. ' "question"
  assert_installed_nothing
  installed_earlier
  local row
  for row in "4.0|Would you like to update Orvo 4.0-0?|2" "2.0|Would you like to update Orvo 3.0 from Orvo 2.0?|1"; do
    [[ $row != 2.0* ]] || write_file /opt/vyr/orvoInfo2.0 $'Information File Orvo 2.0\nUSRDIR          /opt/vyr\n'
    ask_setup $'n\n' -q 1
    assert_contains "$(cat /tmp/setup.out)" "$(cut -d'|' -f2 <<<"$row")"$'\nAnswer with y[es] or n[o]'
    assert_eq "$(cat /tmp/setup.err; echo .)" $'Program abandoned by user.\n\n.' "standard error"
    assert_log_order "Upgrade Mode = ${row##*|}." $'\nProgram abandoned by user.\n'"$CLOSING"
    assert_installed_nothing
  done
}

case_install_directory_choice() {
  make_package
  # New installation: -u names the directory, less its trailing "/".
  run_setup -u /srv/pkg/
  assert_log_order $'New installation\n' $'Installation directory: \'/srv/pkg\' OK. \n' "$CLOSING"
  assert_file_exists /srv/pkg/bin/setup /srv/pkg/orvoInfo4.0
  assert_no_file /opt/vyr/bin /opt/vyr/orvoInfo4.0
  # The information file in /opt/vyr records /srv/pkg: an upgrade goes there, whatever -u says.
  mkdir -p /opt/vyr
  cp /srv/pkg/orvoInfo4.0 /opt/vyr/orvoInfo4.0
  rm /srv/pkg/bin/setup
  run_setup -u /srv/other/
  assert_log_order $'/srv/pkg.\n' $'Upgrade Mode = 2.\n' $'Installation directory: \'/srv/pkg\' OK. \n'
  assert_file_exists /srv/pkg/bin/setup
  assert_no_file /srv/other
  # The recorded directory is gone: a new installation into the -u directory.
  rm -rf /srv/pkg
  ask_setup $'y\n' -q 1 -u /srv/new/
  assert_log_order $'/srv/pkg.\n' $'The installation directory:\n\t\'/srv/pkg\'\ndoes not exist or is not OK.\n' \
    $'Installation directory: \'/srv/new\' OK. \n' "$CLOSING"
  assert_log_lacks "Upgrade Mode"
  assert_contains "$(cat /tmp/setup.out)" "Would you like to install Orvo 4.0-0?"
  assert_file_exists /srv/new/bin/setup
}

# A missing manifest, or one that lists nothing, stops the run before the question.
case_missing_manifest_stops() {
  make_package
  local manifest
  for manifest in missing empty; do
    rm -f "$RUN_LOG" "$PKG/etc/ORVOINST.CONF"
    [[ $manifest == missing ]] || write_file "$PKG/ORVOINST.CONF" $'# nothing to install\n@@NULL\n'
    ask_setup $'y\n' -q 1
    assert_log_order $'New installation\n' $'Orvo 3.0 installation missing info:\n\t\''"$PKG"$'/ORVOINST.CONF\'.\nAbandon...\n' \
      $'Because of insufficient data, setup stopped.\n'"$CLOSING"
    assert_eq "$(cat /tmp/setup.out)$(cat /tmp/setup.err)" "" "questions and standard error ($manifest)"
    assert_installed_nothing
  done
}
