# The per-printer PPD refresh at the end of an install run: queue PPDs in /etc/cups/ppd made by hand,
# the package unpacked under /srv, no scheduler (CUPS named by the environment, restarts answered by a
# fake). The arranging helpers at the top are shared by cups_restart.sh, install_branch.sh and prompts.sh.

PKG=/srv/orvo-4.0-0
SETUP_BIN=$PKG/setup
PPDGEN=$ORVO_BUILD_DIR/ppdgen
# Where this machine's run puts the package's PPDs (it has /usr/share/ppd).
NEW_PPD_DIR=/usr/share/ppd/vyr
ORIGINALS=/root/original-ppds
PCL_1100DN="Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"

# The package in $PKG: setup itself (the package directory is where setup lies), a manifest installing
# it and the PPDs, and the new PPDs (marker 4.0) given as "MODEL|PDL|FILE" words (default: $PCL_1100DN).
# Every CUPS restart is one call of a fake systemctl that succeeds, and one status line in the log.
make_package() {
  local entry model pdl file
  (($# > 0)) || set -- "$PCL_1100DN"
  mkdir -p "$PKG/bin" "$PKG/ppd" /etc/cups/ppd "$ORIGINALS"
  cp "$SETUP" "$PKG/setup"
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
# option says otherwise; by default the model of $PCL_1100DN); a copy is kept to compare with.
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

# How many per-printer questions the last run put; the queues in the order the inventory listed them,
# and the ones the refresh worked on, one a line; how many CUPS restarts the run logged.
printer_questions() {
  grep -o 'Do you want to update printer: ' /tmp/setup.out | wc -l
}
listed_queues() {
  run_log | sed -n '/^List of Ostra Printers installed/,/^List of Ostra PPD files/s/^Printer : \(.*\)\.$/\1/p'
}
refreshed_queues() {
  run_log | sed -n 's/^Printer = \(.*\) with PPD=.*/\1/p'
}
restart_count() {
  run_log | grep -c '^CUPS reset returned with: ' || true
}

assert_ppd_unchanged() {
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/ppd/$1.ppd" || fail "the PPD of queue $1 changed"
}

assert_refreshed() {
  grep -q '^\*% Orvo version: 4.0$' "/etc/cups/ppd/$1.ppd" || fail "queue $1 is not on a new PPD"
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/$1.ppd.rpmsave" || fail "no backup of the old PPD of queue $1"
}

assert_not_refreshed() {
  assert_ppd_unchanged "$1"
  assert_no_file "/etc/cups/$1.ppd.rpmsave"
}

# Without questions every queue on an old package PPD is refreshed, in list order (e2e/install_refresh.sh
# shows the defaults kept and the queues left alone with a real scheduler).
case_refreshes_every_queue_in_list_order() {
  make_package "$PCL_1100DN" "Ostra LP-1100n|ps|orvo003-ps.ppd.gz"
  # A package PPD stored plain in the fallback directory serves a model the package directory lacks.
  mkdir -p /opt/vyr/ppd
  "$PPDGEN" --model "Ostra LP-1100dtn" --pdl pxl --version 4.0 -o /opt/vyr/ppd/orvo001-pxl.ppd
  old_queue office2
  old_queue lab "Ostra LP-1100n" ps
  old_queue hall "Ostra LP-1100dtn" pxl
  write_file /opt/vyr/office2/root/orvoConfig $'Name=office2\n%%ORVO_VERSION_1.0 built 2019\nx %%ORVO_VERSION_1.0\n' 640
  cp /usr/bin/gzip /root/gzip.real
  write_file /usr/bin/gzip $'#!/bin/sh\nprintf \'%s\\n\' "$*" >>/tmp/fake-calls/gzip.log\nexec /root/gzip.real "$@"\n' 755

  run_setup
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "queues refreshed, in list order"
  assert_eq "$(listed_queues | sort | xargs)" "hall lab office2" "queues listed"
  assert_eq "$(cat /tmp/setup.out)" "" "questions"
  local queue
  for queue in office2 lab hall; do assert_refreshed "$queue"; done
  assert_log_contains $'Getting PPD from directory: '"$NEW_PPD_DIR"$'\nGetting PPD from directory: /opt/vyr/ppd\nPPD = /opt/vyr/ppd/orvo001-pxl.ppd.\n'
  # The compressed PPDs were copied to a ".gz" name and decompressed there; the plain one was not.
  assert_eq "$(fake_calls gzip | grep -c '^-d /tmp/qixin[A-Za-z0-9]\{6\}\.gz$')" 2 "gzip -d calls"
  # Every marker line is replaced whole; other lines and the file's mode stay; nothing is left beside it.
  assert_eq "$(cat /opt/vyr/office2/root/orvoConfig)" $'Name=office2\n%%ORVO_VERSION_3.0\n%%ORVO_VERSION_3.0' \
    "office2 configuration"
  assert_eq "$(stat -c %a /opt/vyr/office2/root/orvoConfig) $(ls /opt/vyr/office2/root)" "640 orvoConfig" \
    "configuration mode and directory"
  assert_eq "$(run_log | grep -c '^processPrinterConfig(')" 1 "configuration steps"
  assert_no_file /opt/vyr/lab
  assert_eq "$(fake_calls systemctl)" $'restart cups.service\nrestart cups.service' "CUPS restarts"
}

case_missing_new_ppd_keeps_queue_ppd() {
  make_package
  # Same model, other language; and a model the package has no PPD for at all.
  old_queue office2 "Ostra LP-1100dn" ps
  old_queue lab "Ostra LP-1100n" pcl
  write_file /opt/vyr/office2/root/orvoConfig $'%%ORVO_VERSION_1.0\n'
  mkdir -p /opt/vyr/ppd

  run_setup
  local queue block
  for queue in office2 lab; do
    assert_ppd_unchanged "$queue"
    cmp -s "$ORIGINALS/$queue.ppd" "/etc/cups/$queue.ppd.rpmsave" || fail "no backup for $queue"
    # This printer's block: both directories searched, then the failed install copy.
    block=$(run_log | sed -n "/^Processing Ostra PPD files for printer: $queue\./,/^Copying /p")
    assert_eq "$(sed '$d' <<<"$block")" "Processing Ostra PPD files for printer: $queue."$'\n'"Getting PPD from directory: $NEW_PPD_DIR"$'\nGetting PPD from directory: /opt/vyr/ppd\nPPD NOT FOUND!' "refresh of $queue"
    [[ $(tail -n 1 <<<"$block") =~ ^Copying\ .*\ to\ /etc/cups/ppd/$queue\.ppd:\ result=[1-9][0-9]*$ ]] ||
      fail "install copy for $queue not failed: $block"
  done
  assert_eq "$(cat /opt/vyr/office2/root/orvoConfig)" "%%ORVO_VERSION_3.0" "configuration still updated"
  assert_log_contains "processPrinterConfig(office2): updated."
  assert_eq "$(restart_count)" 2 "CUPS restarts"
}

# gzip fails, gzip leaves no file, /tmp fills up while the new PPD is written, and /tmp is full before
# the compressed new PPD is copied there: each time the queue keeps its PPD byte for byte, the failed
# install copy is logged with its status, /tmp is left clean.
case_failed_build_keeps_queue_ppd() {
  make_package
  old_queue office2 "Ostra LP-1100dn" pcl --pagesize A4
  cp /usr/bin/gzip /root/gzip.real
  cp /usr/bin/cp /root/cp.real
  write_file /root/gzip.filling $'#!/bin/sh\n/root/gzip.real "$@" || exit\ncat /dev/zero >/tmp/filler 2>/dev/null\nexit 0\n' 755
  write_file /root/cp.filling $'#!/bin/sh\n/root/cp.real "$@" || exit\ncase $3 in *.rpmsave.qixnew*) cat /dev/zero >/tmp/filler 2>/dev/null ;; esac\nexit 0\n' 755
  # arrangement|problem logged
  local -a rounds=(
    "fake_command /usr/bin/gzip 1 '' 'gzip: corrupt'|Problem decompressing: /tmp/qixin"
    "fake_command /usr/bin/gzip 0|Problem opening: /tmp/qixin"
    # A /tmp of its own, filled by gzip right after it decompressed for real.
    "mount -t tmpfs -o size=64k full /tmp; cp /root/gzip.filling /usr/bin/gzip|Problem opening: /tmp/qixot"
    # A fresh /tmp filled by cp right after the backup copy: what is not copied whole cannot be decompressed.
    "umount /tmp; mount -t tmpfs -o size=64k full /tmp; cp /root/gzip.real /usr/bin/gzip; cat /root/cp.filling >/usr/bin/cp|Problem decompressing: /tmp/qixin[A-Za-z0-9]{6}\.gz for printer office2!$"
  )
  local round
  for round in "${rounds[@]}"; do
    reset_machine
    eval "${round%%|*}"
    run_setup
    rm -f /tmp/filler
    assert_ppd_unchanged office2
    grep -Eq "^${round#*|}" "$RUN_LOG" || fail "no '${round#*|}' in the log"
    assert_log_lacks "New PPD for printer"
    [[ $(run_log | grep '^Copying .* to /etc/cups/ppd/office2.ppd: result=') =~ result=[1-9][0-9]*$ ]] ||
      fail "install copy not failed"
    cmp -s "$ORIGINALS/office2.ppd" /etc/cups/office2.ppd.rpmsave || fail "no backup"
    assert_no_temp_files
  done
}

# Queue names from file names reach the shell quoted: nothing but the copies runs.
case_queue_names_with_shell_characters() {
  make_package
  # shellcheck disable=SC2016  # the names are meant literally
  local -a queues=('a;touch x' "it's \$(touch y) z" 'b`touch w`|touch v&')
  local queue before
  for queue in "${queues[@]}"; do
    old_queue "$queue" "Ostra LP-1100dn" pcl --pagesize A4
    write_file "/opt/vyr/$queue/root/orvoConfig" $'%%ORVO_VERSION_1.0\n'
  done
  stray_files() {
    { find / -maxdepth 1; find /srv /root /tmp /etc/cups /opt /var/tmp; } | grep -E '/(x|y|w|v|x\.ppd.*)$' | sort || true
  }
  before=$(stray_files)

  run_setup
  for queue in "${queues[@]}"; do
    assert_refreshed "$queue"
    grep -q '^\*DefaultPageSize: A4$' "/etc/cups/ppd/$queue.ppd" || fail "'$queue' lost its page size"
    assert_eq "$(cat "/opt/vyr/$queue/root/orvoConfig")" "%%ORVO_VERSION_3.0" "configuration of '$queue'"
    assert_log_contains "saving /etc/cups/ppd/$queue.ppd to /etc/cups/$queue.ppd.rpmsave: result=0"
    assert_log_contains "to /etc/cups/ppd/$queue.ppd: result=0"
  done
  assert_eq "$(stray_files)" "$before" "files the queue names could have made"
}

# The configuration file is replaced only by a complete rewrite: on a full file system it stays as it was.
case_config_rewrite_failure_keeps_old_file() {
  make_package
  old_queue q
  mkdir -p /opt/vyr/q/root
  mount -t tmpfs -o size=4k cfg /opt/vyr/q/root
  local config=$'Name=q\n%%ORVO_VERSION_1.0\n'
  write_file /opt/vyr/q/root/orvoConfig "$config"
  cat /dev/zero >/opt/vyr/q/root/filler 2>/dev/null || true
  [[ $(df --output=avail /opt/vyr/q/root | tail -n 1) -eq 0 ]] || fail "the configuration file system is not full"

  run_setup
  assert_refreshed q
  assert_eq "$(cat /opt/vyr/q/root/orvoConfig; echo .)" "$config." "configuration file"
  assert_eq "$(ls /opt/vyr/q/root | tr '\n' ' ')" "filler orvoConfig " "configuration directory"
  assert_log_lacks "processPrinterConfig(q)"
  assert_log_order "Copying /tmp/qixot" "to /etc/cups/ppd/q.ppd: result=0" "CUPS reset returned with: 0"
}

# /etc/cups/ppd full, /etc/cups (backups and PPDs) on one full file system, /tmp full: every queue keeps
# its PPD byte for byte, a backup is the complete old PPD or absent, a queue that cannot be backed up is
# not refreshed, nothing is left beside the PPDs; with room again a second run refreshes every queue.
case_full_file_systems_leave_every_ppd_whole() {
  make_package
  local queue round full logged
  for queue in q1 q2 q3; do old_queue "$queue" "Ostra LP-1100dn" pcl --pagesize A4; done
  cp -a /etc/cups /root/cups.saved
  # file system filled|line logged for each queue
  local -a rounds=(
    "/etc/cups/ppd|Copying /tmp/qixot[A-Za-z0-9]{6} to /etc/cups/ppd/QUEUE.ppd: result=256"
    "/etc/cups|Not refreshing printer QUEUE: its PPD could not be saved."
    "/tmp|Problem (opening|decompressing): /tmp/qix.* for printer QUEUE!"
  )
  for round in "${rounds[@]}"; do
    full=${round%%|*} logged=${round#*|}
    rm -f /etc/cups/*.rpmsave "$RUN_LOG"
    mount -t tmpfs -o size=1m full "$full"
    cp -a /root/cups.saved/. /etc/cups/
    cat /dev/zero >"$full/filler" 2>/dev/null || true
    run_setup
    for queue in q1 q2 q3; do
      assert_ppd_unchanged "$queue"
      [[ ! -e /etc/cups/$queue.ppd.rpmsave ]] || cmp -s "$ORIGINALS/$queue.ppd" "/etc/cups/$queue.ppd.rpmsave" ||
        fail "incomplete backup of $queue"
      grep -Eq "^${logged//QUEUE/$queue}$" "$RUN_LOG" || fail "$full: no '$logged' for $queue"
    done
    rm "$full/filler" "$RUN_LOG"
    run_setup
    for queue in q1 q2 q3; do
      assert_refreshed "$queue"
      grep -q '^\*DefaultPageSize: A4$' "/etc/cups/ppd/$queue.ppd" || fail "$queue lost its page size"
      cupstestppd -q -I filters "/etc/cups/ppd/$queue.ppd" || fail "new PPD of $queue fails cupstestppd"
    done
    assert_eq "$(ls /etc/cups /etc/cups/ppd | grep -c qixnew || true)" 0 "temporary files beside the PPDs"
    assert_no_temp_files
    umount "$full"
  done
}

# A rewritten PPD that the PPD library cannot open is not installed: the queue keeps its PPD, the log says why.
case_unreadable_new_ppd_is_not_installed() {
  make_package
  old_queue q
  gzip -dc "$PKG/ppd/orvo002-pcl.ppd.gz" >/root/new.ppd
  printf '*OpenGroup: A\n*OpenGroup: B\n' >>/root/new.ppd
  gzip -c /root/new.ppd >"$PKG/ppd/orvo002-pcl.ppd.gz"
  run_setup
  assert_ppd_unchanged q
  assert_log_order "New PPD for printer q in: /tmp/qixot" "Not installing /tmp/qixot" \
    "for printer q: the PPD library cannot open it (OpenGroup without a CloseGroup first on line " \
    "Copying  to /etc/cups/ppd/q.ppd: result=256"
  assert_no_temp_files
}
