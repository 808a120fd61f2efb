# The install branch: new installation or upgrade, where the package goes, and the ways a run stops
# before installing. The package is unpacked under /srv; CUPS restarts go to a fake systemctl.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

STOPPED=$'\nBecause of insufficient data, setup stopped.\nFinishing Orvo 4.0-0 installation : '

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

# Not CUPS, or a manifest that lists nothing: the installation lines, then the stop, without a question.
case_insufficient_data_stops_before_the_question() {
  make_package
  installed_earlier
  QIXLPMODE=LPRNG run_setup -q 1
  assert_log_order $'System Scheduler = LPRNG\n' $'Upgrade Mode = 2.\n' "Number of Orvo printers found: " "$STOPPED"
  assert_eq "$(cat /tmp/setup.err /tmp/setup.out)" "" "standard error and questions"
  assert_installed_nothing
  rm "$PKG/etc/ORVOINST.CONF" && write_file "$PKG/ORVOINST.CONF" $'# nothing to install\n@@NULL\n'
  ask_setup $'y\n' -q 1
  assert_log_order $'Orvo 3.0 installation missing info:\n\t\''"$PKG"$'/ORVOINST.CONF\'.\nAbandon...' "$STOPPED"
  assert_eq "$(cat /tmp/setup.out /tmp/setup.err)" "" "questions and standard error"
  assert_installed_nothing
}

# Declining the question, or giving no answer, abandons the run, whichever generation is found.
case_query_mode_answer_no_abandons() {
  make_package
  local row answer question marker
  for row in "|install Orvo 4.0-0|New installation" "n|update Orvo 4.0-0|Upgrade Mode = 2." \
    "n|update Orvo 3.0 from Orvo 2.0|Upgrade Mode = 1."; do
    IFS='|' read -r answer question marker <<<"$row"
    ask_setup "${answer:+$answer$'\n'}" -q 1
    assert_eq "$(cat /tmp/setup.out)" "Would you like to $question?"$'\nAnswer with y[es] or n[o], followed by <RETURN> please. '
    assert_eq "$(cat /tmp/setup.err; echo .)" $'Program abandoned by user.\n\n.' "standard error"
    assert_log_order "$marker" $'\nProgram abandoned by user.\nFinishing Orvo 4.0-0 installation : '
    assert_installed_nothing
    [[ -e /root/info ]] || installed_earlier
    [[ $marker != *2. ]] || write_file /opt/vyr/orvoInfo2.0 $'Information File Orvo 2.0\nUSRDIR          /opt/vyr\n'
  done
}

# -u names the directory of a new installation, less its trailing "/"; an upgrade goes where the
# information file in /opt/vyr says, whatever -u says, unless that directory is gone.
case_install_directory_choice() {
  make_package
  run_setup -u /srv/pkg/
  assert_log_contains $'Installation directory: \'/srv/pkg\' OK. \n'
  assert_file_exists /srv/pkg/bin/setup /srv/pkg/orvoInfo4.0
  mkdir -p /opt/vyr && cp /srv/pkg/orvoInfo4.0 /opt/vyr/ && rm /srv/pkg/bin/setup
  run_setup -u /srv/other/
  assert_file_exists /srv/pkg/bin/setup
  assert_no_file /srv/other /opt/vyr/bin
  rm -rf /srv/pkg
  ask_setup $'y\n' -q 1 -u /srv/new/
  assert_contains "$(cat /tmp/setup.out)" "Would you like to install Orvo 4.0-0?"
  assert_file_exists /srv/new/bin/setup
}
