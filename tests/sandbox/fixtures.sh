# Arrangements shared by the scenarios: the sample package unpacked under /srv with queues on its older
# PPDs (install runs), and an installed package with its queues (de-installation runs).

PKG=/srv/orvo-4.0-0
PPDGEN=$ORVO_BUILD_DIR/ppdgen
NEW_PPD_DIR=/usr/share/ppd/vyr # where this machine's run puts the package's PPDs
ORIGINALS=/root/original-ppds
PCL_1100DN="Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"

# The package in $PKG: setup, a manifest installing it and the PPDs, and the new PPDs (marker 4.0) given
# as "MODEL|PDL|FILE" words (default: $PCL_1100DN). Runs use the package's setup from then on; CUPS
# restarts go to a fake systemctl that succeeds.
make_package() {
  local entry model pdl file
  (($# > 0)) || set -- "$PCL_1100DN"
  mkdir -p "$PKG/bin" "$PKG/ppd" /etc/cups/ppd "$ORIGINALS"
  cp "$SETUP" "$PKG/setup"
  SETUP_BIN=$PKG/setup
  cp "$SETUP" "$PKG/bin/setup"
  write_file "$PKG/etc/ORVOINST.CONF" $'bin/setup\t./bin\t00755\nppd/*.ppd.gz\t?\n'
  for entry in "$@"; do
    IFS='|' read -r model pdl file <<<"$entry"
    "$PPDGEN" --model "$model" --pdl "$pdl" --version 4.0 -o "$PKG/ppd/$file"
  done
  rm -f /etc/cups/ppd/*
  fake_command /usr/bin/systemctl 0
  remove_command /usr/sbin/service /etc/init.d/cups /etc/init.d/cupsys
}

# old_queue QUEUE [MODEL PDL [ppdgen options]]: a queue on an old package PPD (marker 1.5 unless an
# option says otherwise), a copy kept to compare with.
old_queue() {
  local queue=$1 model=${2:-Ostra LP-1100dn} pdl=${3:-pcl}
  shift $(($# < 3 ? $# : 3))
  "$PPDGEN" --model "$model" --pdl "$pdl" --version 1.5 "$@" -o "/etc/cups/ppd/$queue.ppd"
  cp "/etc/cups/ppd/$queue.ppd" "$ORIGINALS/$queue.ppd"
}

reset_machine() {
  rm -rf /opt/vyr "$NEW_PPD_DIR" /etc/cups/*.rpmsave "$RUN_LOG" "$FAKE_CALLS_DIR"/*.log
  cp -r "$ORIGINALS"/. /etc/cups/ppd/
}

# The queues in the order the inventory listed them, and the ones the refresh worked on, one a line.
listed_queues() {
  run_log | sed -n '/^List of Ostra Printers installed/,/^List of Ostra PPD files/s/^Printer : \(.*\)\.$/\1/p'
}
refreshed_queues() {
  run_log | sed -n 's/^Printer = \(.*\) with PPD=.*/\1/p'
}

assert_ppd_unchanged() {
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/ppd/$1.ppd" || fail "the PPD of queue $1 changed"
}

assert_refreshed() {
  grep -q '^\*% Orvo version: 4.0$' "/etc/cups/ppd/$1.ppd" || fail "queue $1 is not on a new PPD"
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/$1.ppd.rpmsave" || fail "no backup of the old PPD of queue $1"
}

# An installed package in DIR: every file and directory of the removal tables, the filter linked into
# /usr/bin, for each queue NAME its directory and start script, and the information file listing them
# after "Default".
install_package() {
  local dir=$1 name file
  shift
  for file in orvo bin/qixgsfilter etc/UNINSTALLORVO bin/setup etc/orvo4.0.png ORVOINST.CONF \
    etc/ORVOINST.CONF bin/nc Default/root/orvoConfig ppd/vyr/model.ppd; do
    write_file "$dir/$file" "package file"
  done
  ln -sfn "$dir/bin/qixgsfilter" /usr/bin/qixgsfilter
  for name in "$@"; do
    write_file "$dir/$name/root/orvoConfig" "queue config"
    write_file "$dir/$name.sh" "#!/bin/sh" 755
  done
  write_info_file "$dir/orvoInfo4.0" "Orvo 4.0 Information File" "$dir" Default "$@"
}

# lpadmin exits with STATUS (default 0).
fake_spooler() {
  fake_command /usr/sbin/lpadmin "${1:-0}"
  fake_command /usr/bin/lpstat 0
}

# setup -d with ANSWER on standard input and the remaining arguments.
deinstall() {
  local answer=$1
  shift
  ask_setup "$answer"$'\n' -d "$@"
}

# --- the native packages (make package) -------------------------------------------------------------------
DEB=$(echo "$ORVO_BUILD_DIR"/dist/orvo_*.deb)
RPM=$(echo "$ORVO_BUILD_DIR"/dist/orvo-*.rpm)

# A scheduler with the queue "office" on an old package PPD, two of its defaults changed.
office_on_old_ppd() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble
  save_ppds
}

# What dpkg, rpm and setup may leave on the machine, besides the scheduler's own files.
machine_files() {
  { find /opt /usr /var/tmp /var/lib/orvo-setup /run/orvo-setup /run/lock -xdev 2>/dev/null || true; } | sort
}

# package_manager COMMAND...: a dpkg or rpm command run unattended, which must exit 0.
package_manager() {
  SCHEDULER_PID=$(cat "$CUPSD_PIDFILE" 2>/dev/null || true)
  SETUP_STATUS=0
  DEBIAN_FRONTEND=noninteractive "$@" </dev/null >/tmp/pm.out 2>&1 || SETUP_STATUS=$?
  assert_eq "$SETUP_STATUS" 0 "exit status of $* (output: $(cat /tmp/pm.out))"
}

# The package's install run refreshed office with its defaults kept, and left its result. PPD_COPIES: where
# it put the package's PPDs.
assert_office_refreshed_by_package() {
  assert_clean_finish
  PPD_COPIES=$(sed -n 's/^Copying file ppd.* to \(.*\)\. $/\1/p' "$RUN_LOG")
  assert_eq "$(find "$PPD_COPIES" -name '*.ppd.gz' | wc -l)" 813 "PPDs copied into ${PPD_COPIES:-?}"
  assert_eq "$(stat -c '%a %U' /opt/vyr /opt/vyr/bin /opt/vyr/bin/setup)" $'1777 root\n755 root\n755 root' "modes"
  assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble
  assert_eq "$(python3 -c 'import json, sys; r = json.load(open(sys.argv[1]))
print(r["kind"], r["package"], [(q["name"], q["outcome"]) for q in r["queues"]])' "$RUN_LOG.json")" \
    "install installed [('office', 'refreshed')]" "the run's result"
}

# After the package's removal its files and what setup made are gone; the queue stays.
assert_removed_keeping_office() {
  assert_no_file /opt/vyr/bin/setup /usr/bin/qixgsfilter /opt/vyr/orvoInfo4.0 "$PPD_COPIES"
  assert_contains "$(queue_state office)" "printer office is idle."
}
