# An unprivileged local user (uid 65534) against installations from the package tarball and a real
# scheduler: what she plants in the installation directory never runs as root, is never written through,
# never gives a queue its PPD, never names a queue to delete and never holds up a run.

as_user() { setpriv --reuid 65534 --regid 65534 --clear-groups sh -c "$1"; }
run_installed() { /opt/vyr/bin/setup "$@" >/tmp/setup.out 2>/tmp/setup.err; }

# Her program, wherever root might run it, leaves /tmp/ran-as-<uid>; her PPD names her filter.
plant_program() { as_user "printf '#!/bin/sh\ntouch /tmp/ran-as-\$(id -u)\n' >$1 && chmod 755 $1"; }

# Before: an earlier version left /opt/vyr open to everyone. Her bin/ stops the install before anything
# is copied; once the administrator removed it, the links she left at README and at the archive are
# replaced, never followed.
# After a real install: she can no longer rename root's entries; her orvoInfo2.0 (naming another queue and
# /dev/stdin, and her home as the installation) and her ppd/ are skipped by the installed setup, by an
# upgrade and by the de-installation.
case_planted_entries_never_trusted() {
  container_service_manager
  start_cupsd
  make_old_queue office 2 pcl 1.0 PageSize=A4
  old_ppd /tmp/victim.ppd 5 ps 4.0
  add_queue victim /tmp/victim.ppd
  write_file /root/secret "root only" 600
  ln -sfn /proc/self/fd/0 /dev/stdin
  install -d -m 777 /opt/vyr
  as_user "mkdir /opt/vyr/bin /tmp/eve && ln -s /root/secret /opt/vyr/README"
  plant_program /opt/vyr/bin/setup
  install_from_package
  assert_log_contains "The installation directory '/opt/vyr' let other users rename its entries: its mode is now 1777."
  assert_log_contains "Skipping '/opt/vyr/bin': '/opt/vyr/bin' is owned by user 65534, not root."
  assert_log_contains "No VYR binary directory: '/opt/vyr/bin' possible"
  assert_no_file /usr/bin/qixgsfilter
  assert_queue_untouched office

  rm -r /opt/vyr/bin
  install_from_package
  assert_eq "$(stat -c '%a %U' /opt/vyr /opt/vyr/bin /opt/vyr/README /root/secret | xargs) $(cat /root/secret)" \
    "1777 root 755 root 644 root 600 root root only" "modes and owners"
  assert_queue_refreshed office PageSize=A4

  as_user "mv /opt/vyr/bin /opt/vyr/etc /tmp/eve/" 2>/dev/null && fail "she renamed root's directories"
  as_user "flock -n /run/orvo-setup/setup.lock true" 2>/dev/null && fail "she took the run lock"
  write_info_file /tmp/eve.info "Orvo 2.0 Information File" /tmp/eve Default victim stdin
  as_user "cat /tmp/eve.info >/opt/vyr/orvoInfo2.0 && mkdir /opt/vyr/ppd"
  "$ORVO_BUILD_DIR/ppdgen" --model "$(model_name 2)" --pdl pcl --version 4.0 --filter /tmp/eve/filter -o /tmp/eve.ppd.gz
  as_user "cp /tmp/eve.ppd.gz /opt/vyr/ppd/orvo002-pcl.ppd.gz"
  plant_program /tmp/eve/filter
  make_old_queue branch 2 pcl 1.0
  save_ppds
  run_installed -q 0
  assert_log_contains "Skipping '/opt/vyr/orvoInfo2.0': '/opt/vyr/orvoInfo2.0' is owned by user 65534, not root."
  assert_log_contains "Skipping 'ppd/orvo002-pcl.ppd.gz': '/opt/vyr/ppd' is owned by user 65534, not root."
  assert_queue_refreshed branch
  assert_eq "$(grep -l /tmp/eve /etc/cups/ppd/* /usr/share/ppd/vyr/* | xargs)" "" "PPDs naming her filter"
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /opt/vyr/bin/qixgsfilter "filter link"

  run_installed -d <<<y
  assert_log_contains "Skipping '/opt/vyr/orvoInfo2.0': '/opt/vyr/orvoInfo2.0' is owned by user 65534, not root."
  assert_contains "$(queue_state victim)" "printer victim is idle."
  [[ -L /dev/stdin ]] || fail "/dev/stdin was deleted"
  assert_no_file /tmp/ran-as-0 /opt/vyr/bin /usr/bin/qixgsfilter
}
