# The .deb and the .rpm of `make package`, installed, upgraded and removed by dpkg and rpm against the real
# scheduler: their scripts run setup unattended and never fail the transaction.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# Installed while the scheduler is stopped, the package waits for the next install to refresh the queues.
case_deb_install_reinstall_remove_purge() {
  local before=$(machine_files)
  package_manager dpkg -i "$DEB"
  assert_log_contains "* No running CUPS daemon found!"
  assert_contains "$(cat "$RUN_LOG.json")" '"abandoned": true'

  office_on_old_ppd
  package_manager dpkg -i "$DEB"
  assert_office_refreshed_by_package

  save_ppds
  package_manager dpkg -i "$DEB"
  assert_clean_finish
  cmp -s /etc/cups/ppd/office.ppd "$PPDS_BEFORE/office.ppd" || fail "the reinstall changed the PPD of office"
  assert_log_contains "Upgrade Mode = 2."

  package_manager dpkg -r orvo
  assert_removed_keeping_office
  assert_log_contains "What setup made for Orvo 4.0-0 has been removed; the printer queues were kept."

  package_manager dpkg --purge orvo
  assert_eq "$(machine_files)" "$before" "files after the purge"
  assert_file_exists "$RUN_LOG" "$RUN_LOG.json" /etc/cups/office.ppd.rpmsave
}

case_rpm_install_refreshes_and_erase_removes() {
  office_on_old_ppd
  package_manager rpm -i --nodeps --force-debian "$RPM"
  assert_office_refreshed_by_package
  package_manager rpm -e --nodeps orvo
  assert_removed_keeping_office
}

case_deb_has_no_lintian_error() {
  lintian --fail-on error "$DEB" >/tmp/lintian.out 2>&1 || fail "lintian: $(cat /tmp/lintian.out)"
}
