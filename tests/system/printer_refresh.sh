# The per-printer PPD refresh at the end of an install run: queue PPDs in /etc/cups/ppd made by hand,
# the package unpacked under /srv, no scheduler (CUPS named by the environment, restarts answered by a
# fake).

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# Without questions every queue on an old package PPD is refreshed, in list order; a package PPD stored
# plain in the fallback directory serves a model the package directory lacks; a model without a new PPD
# keeps its PPD (the failed install copy logged) and still gets its configuration updated; a configuration
# file is replaced only by a complete rewrite: on a full file system it stays as it was. Queue names
# with shell characters reach the shell quoted: nothing but the copies runs.
case_refreshes_every_queue_in_list_order() {
  make_package "$PCL_1100DN" "Ostra LP-1100n|ps|orvo003-ps.ppd.gz"
  mkdir -p /opt/vyr/ppd
  "$PPDGEN" --model "Ostra LP-1100dtn" --pdl pxl --version 4.0 -o /opt/vyr/ppd/orvo001-pxl.ppd
  old_queue office2
  old_queue lab "Ostra LP-1100n" ps
  old_queue hall "Ostra LP-1100dtn" pxl
  old_queue lonely "Ostra LP-1100n" pcl
  old_queue full
  mkdir -p /opt/vyr/full/root
  mount -t tmpfs -o size=4k cfg /opt/vyr/full/root
  write_file /opt/vyr/full/root/orvoConfig $'Name=full\n%%ORVO_VERSION_1.0\n'
  cat /dev/zero >/opt/vyr/full/root/filler 2>/dev/null || true
  # shellcheck disable=SC2016  # the names are meant literally
  local -a odd=('a;touch x' "it's \$(touch y) z" 'b`touch w`|touch v&')
  local queue
  for queue in "${odd[@]}"; do
    old_queue "$queue" "Ostra LP-1100dn" pcl --pagesize A4
    write_file "/opt/vyr/$queue/root/orvoConfig" $'%%ORVO_VERSION_1.0\n'
  done
  write_file /opt/vyr/office2/root/orvoConfig $'Name=office2\n%%ORVO_VERSION_1.0 built 2019\nx %%ORVO_VERSION_1.0\n' 640
  write_file /opt/vyr/lonely/root/orvoConfig $'%%ORVO_VERSION_1.0\n'
  cp /usr/bin/gzip /root/gzip.real
  write_file /usr/bin/gzip $'#!/bin/sh\nprintf \'%s\\n\' "$*" >>/tmp/fake-calls/gzip.log\nexec /root/gzip.real "$@"\n' 755

  run_setup
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "queues refreshed, in list order"
  assert_eq "$(listed_queues | LC_ALL=C sort | paste -sd,)" "a;touch x,b\`touch w\`|touch v&,full,hall,it's \$(touch y) z,lab,lonely,office2" "queues listed"
  for queue in office2 lab hall full "${odd[@]}"; do assert_refreshed "$queue"; done
  for queue in "${odd[@]}"; do
    grep -q '^\*DefaultPageSize: A4$' "/etc/cups/ppd/$queue.ppd" || fail "'$queue' lost its page size"
    assert_eq "$(cat "/opt/vyr/$queue/root/orvoConfig")" "%%ORVO_VERSION_3.0" "configuration of '$queue'"
  done
  assert_eq "$({ find / -maxdepth 1; find /srv /root /tmp /etc/cups /opt /var/tmp; } | grep -E '/(x|y|w|v)$' || true)" "" "files the names made"
  assert_log_contains $'Getting PPD from directory: '"$NEW_PPD_DIR"$'\nGetting PPD from directory: /opt/vyr/ppd\nPPD = /opt/vyr/ppd/orvo001-pxl.ppd.\n'
  # The compressed PPDs were copied to a ".gz" name and decompressed there; the plain one was not.
  assert_eq "$(fake_calls gzip | grep -c '^-d /tmp/qixin[A-Za-z0-9]\{6\}\.gz$')" 6 "gzip -d calls"
  # Every marker line is replaced whole; other lines, the file's mode stay; nothing is left beside it.
  assert_eq "$(cat /opt/vyr/office2/root/orvoConfig)" $'Name=office2\n%%ORVO_VERSION_3.0\n%%ORVO_VERSION_3.0' "office2 configuration"
  assert_eq "$(stat -c %a /opt/vyr/office2/root/orvoConfig) $(ls /opt/vyr/office2/root)" "640 orvoConfig" "configuration"
  assert_ppd_unchanged lonely
  cmp -s "$ORIGINALS/lonely.ppd" /etc/cups/lonely.ppd.rpmsave || fail "no backup for lonely"
  assert_eq "$(run_log | sed -n '/^Processing Ostra PPD files for printer: lonely\./,/^Copying /p' | tail -n 3)" \
    $'Getting PPD from directory: /opt/vyr/ppd\nPPD NOT FOUND!\nCopying  to /etc/cups/ppd/lonely.ppd: result=256' "lonely"
  assert_eq "$(cat /opt/vyr/lonely/root/orvoConfig)" "%%ORVO_VERSION_3.0" "configuration of lonely"
  assert_eq "$(cat /opt/vyr/full/root/orvoConfig; ls /opt/vyr/full/root | xargs)" $'Name=full\n%%ORVO_VERSION_1.0\nfiller orvoConfig' "full configuration"
  assert_log_lacks "processPrinterConfig(full)"
  assert_eq "$(fake_calls systemctl)" $'restart cups.service\nrestart cups.service' "CUPS restarts"
}

# With -q 1, per printer: yes (or an unrecognised answer) refreshes it, no skips it, all refreshes it and
# the rest without asking, break stops there and the refresh does not restart CUPS. The question is on
# standard output before the answer is read.
case_answers_to_the_printer_question() {
  make_package
  old_queue one
  old_queue two
  local row answer refreshed questions restarts first second
  for row in "y|1|2|2" "maybe|1|2|2" "n||2|2" "a|1 2|1|2" "tutti|1 2|1|2" "b||1|1"; do
    IFS='|' read -r answer refreshed questions restarts <<<"$row"
    reset_machine
    ask_setup $'y\n'"$answer"$'\nn\n' -q 1
    read -r first second <<<"$(listed_queues | xargs)"
    refreshed=${refreshed/1/$first} refreshed=${refreshed/2/$second}
    assert_eq "$(refreshed_queues | xargs)" "$refreshed" "queues refreshed after '$answer'"
    assert_eq "$(grep -o 'Do you want to update printer: ' /tmp/setup.out | wc -l)" "$questions" "questions after '$answer'"
    assert_eq "$(run_log | grep -c '^CUPS reset returned with: ')" "$restarts" "CUPS restarts after '$answer'"
    assert_contains "$(cat /tmp/setup.out)" $'\nAnswer with y[es] or n[o], followed by <RETURN> please. '"Do you want to update printer: $first? "$'\nAnswer with y[es], n[o], or a[ll] = \'yes\' for all printers,\nor b[reak] for none, followed by <RETURN> please. '
  done
  assert_ppd_unchanged "$second"
}

# gzip fails, gzip leaves no file, /tmp fills up while the new PPD is written, /tmp is full before the
# compressed new PPD is copied there, the rewritten PPD is one the PPD library cannot open: each time the
# queue keeps its PPD byte for byte, the failed install copy is logged with its status, /tmp is left clean.
case_failed_build_keeps_queue_ppd() {
  make_package
  old_queue office2 "Ostra LP-1100dn" pcl --pagesize A4
  cp /usr/bin/gzip /root/gzip.real
  cp /usr/bin/cp /root/cp.real
  write_file /root/gzip.filling $'#!/bin/sh\n/root/gzip.real "$@" || exit\ncat /dev/zero >/tmp/filler 2>/dev/null\nexit 0\n' 755
  write_file /root/cp.filling $'#!/bin/sh\n/root/cp.real "$@" || exit\ncase $3 in *.rpmsave.qixnew*) cat /dev/zero >/tmp/filler 2>/dev/null ;; esac\nexit 0\n' 755
  local -a rounds=( # arrangement|problem logged
    "fake_command /usr/bin/gzip 1 '' 'gzip: corrupt'|Problem decompressing: /tmp/qixin"
    "fake_command /usr/bin/gzip 0|Problem opening: /tmp/qixin"
    "mount -t tmpfs -o size=64k full /tmp; cp /root/gzip.filling /usr/bin/gzip|Problem opening: /tmp/qixot"
    "umount /tmp; mount -t tmpfs -o size=64k full /tmp; cp /root/gzip.real /usr/bin/gzip; cat /root/cp.filling >/usr/bin/cp|Problem decompressing: /tmp/qixin[A-Za-z0-9]{6}\.gz for printer office2!$"
    'umount /tmp; cat /root/cp.real >/usr/bin/cp; { gzip -dc "$PKG/ppd/orvo002-pcl.ppd.gz"; printf "*OpenGroup: A\n*OpenGroup: B\n"; } | gzip -c >/root/new.gz; mv /root/new.gz "$PKG/ppd/orvo002-pcl.ppd.gz"|Not installing /tmp/qixot[A-Za-z0-9]{6} for printer office2: the PPD library cannot open it \(OpenGroup without a CloseGroup first on line '
  )
  local round
  for round in "${rounds[@]}"; do
    reset_machine
    eval "${round%|*}"
    run_setup
    rm -f /tmp/filler
    assert_ppd_unchanged office2
    grep -Eq "^${round##*|}" "$RUN_LOG" || fail "no '${round##*|}' in the log"
    [[ $(run_log | grep '^Copying .* to /etc/cups/ppd/office2.ppd: result=') =~ result=[1-9][0-9]*$ ]] || fail "install copy not failed"
    cmp -s "$ORIGINALS/office2.ppd" /etc/cups/office2.ppd.rpmsave || fail "no backup"
    assert_no_temp_files
  done
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
    done
    assert_eq "$(ls /etc/cups /etc/cups/ppd | grep -c qixnew || true)" 0 "temporary files beside the PPDs"
    assert_no_temp_files
    umount "$full"
  done
}
