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
  make_package
  mkdir -p /opt/vyr/ppd /opt/vyr/full/root
  "$PPDGEN" --model "Ostra LP-1100dtn" --pdl pxl --version 4.0 -o /opt/vyr/ppd/orvo001-pxl.ppd
  # shellcheck disable=SC2016  # the names are meant literally
  local -a odd=('a;touch x' "it's \$(touch y) z" 'b`touch w`|touch v&')
  local queue
  for queue in office2 full "${odd[@]}"; do old_queue "$queue"; done
  old_queue hall "Ostra LP-1100dtn" pxl
  old_queue lonely "Ostra LP-1100n" pcl
  for queue in lonely "${odd[@]}"; do write_file "/opt/vyr/$queue/root/orvoConfig" $'%%ORVO_VERSION_1.0\n'; done
  write_file /opt/vyr/office2/root/orvoConfig $'Name=office2\n%%ORVO_VERSION_1.0 built 2019\nx %%ORVO_VERSION_1.0\n' 640
  mount -t tmpfs -o size=4k cfg /opt/vyr/full/root
  write_file /opt/vyr/full/root/orvoConfig $'Name=full\n%%ORVO_VERSION_1.0\n'
  cat /dev/zero >/opt/vyr/full/root/filler 2>/dev/null || true

  run_setup
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "queues refreshed, in list order"
  for queue in office2 hall full "${odd[@]}"; do assert_refreshed "$queue"; done
  assert_eq "$({ find / -maxdepth 1; find /srv /root /tmp /etc/cups /opt /var/tmp; } | grep -E '/(x|y|w|v)$' || true)" "" "files the names made"
  assert_log_contains $'Getting PPD from directory: '"$NEW_PPD_DIR"$'\nGetting PPD from directory: /opt/vyr/ppd\nPPD = /opt/vyr/ppd/orvo001-pxl.ppd.\n'
  # Every marker line is replaced whole; other lines, the file's mode stay; nothing is left beside it.
  assert_eq "$(stat -c %a /opt/vyr/office2/root/orvoConfig; ls /opt/vyr/office2/root; cat /opt/vyr/office2/root/orvoConfig)" \
    $'640\norvoConfig\nName=office2\n%%ORVO_VERSION_3.0\n%%ORVO_VERSION_3.0' "office2 configuration"
  for queue in lonely "${odd[@]}"; do assert_eq "$(cat "/opt/vyr/$queue/root/orvoConfig")" "%%ORVO_VERSION_3.0" "'$queue'"; done
  assert_ppd_unchanged lonely
  assert_log_contains $'Getting PPD from directory: /opt/vyr/ppd\nPPD NOT FOUND!\nCopying  to /etc/cups/ppd/lonely.ppd: result=256'
  assert_eq "$(cat /opt/vyr/full/root/orvoConfig; ls /opt/vyr/full/root | xargs)" $'Name=full\n%%ORVO_VERSION_1.0\nfiller orvoConfig' "full configuration"
}

# With -q 1, per printer: yes (or an unrecognised answer) refreshes it, no skips it, all refreshes it and
# the rest without asking, break stops there and the refresh does not restart CUPS. The question is on
# standard output before the answer is read.
case_answers_to_the_printer_question() {
  make_package
  old_queue one
  old_queue two
  local row answer refreshed asked first second
  # answer | queues refreshed, 1 and 2 for the first and second listed | questions and CUPS restarts (one
  # restart serves the refresh and the installation)
  for row in "y|1|2 1" "maybe|1|2 1" "n||2 1" "a|1 2|1 1" "b||1 1"; do
    IFS='|' read -r answer refreshed asked <<<"$row"
    reset_machine
    ask_setup $'y\n'"$answer"$'\nn\n' -q 1
    read -r first second <<<"$(listed_queues | xargs)"
    refreshed=${refreshed/1/$first} refreshed=${refreshed/2/$second}
    assert_eq "$(refreshed_queues | xargs)" "$refreshed" "queues refreshed after '$answer'"
    assert_eq "$(grep -o 'want to update printer: ' /tmp/setup.out | wc -l) $(run_log | grep -c '^CUPS reset returned with: ')" \
      "$asked" "questions and CUPS restarts after '$answer'"
    assert_contains "$(cat /tmp/setup.out)" $'\nAnswer with y[es] or n[o], followed by <RETURN> please. '"Do you want to update printer: $first? "$'\nAnswer with y[es], n[o], or a[ll] = \'yes\' for all printers,\nor b[reak] for none, followed by <RETURN> please. '
  done
}

# The rewritten PPD is one the PPD library cannot open, gzip fails, gzip leaves no file, /tmp fills up
# while the new PPD is written: each time the queue keeps its PPD byte for byte and the problem is logged.
case_failed_build_keeps_queue_ppd() {
  make_package
  old_queue office2 "Ostra LP-1100dn" pcl --pagesize A4
  cp /usr/bin/gzip /root/gzip.real
  write_file /root/gzip.filling $'#!/bin/sh\n/root/gzip.real "$@" || exit\ncat /dev/zero >/tmp/filler 2>/dev/null\nexit 0\n' 755
  local -a rounds=( # arrangement|problem logged
    'gzip -dc "$PKG/ppd/orvo002-pcl.ppd.gz" >/root/new; printf "*OpenGroup: A\n*OpenGroup: B\n" >>/root/new; gzip -c /root/new >"$PKG/ppd/orvo002-pcl.ppd.gz"|Not installing /tmp/qixot[A-Za-z0-9]{6} for printer office2: the PPD library cannot open it \(OpenGroup without a CloseGroup first on line '
    "fake_command /usr/bin/gzip 1 '' 'gzip: corrupt'|Problem decompressing: /tmp/qixin"
    "fake_command /usr/bin/gzip 0|Problem opening: /tmp/qixin"
    "mount -t tmpfs -o size=64k full /tmp; cp /root/gzip.filling /usr/bin/gzip|Problem opening: /tmp/qixot[A-Za-z0-9]{6} for printer office2!$"
  )
  local round
  for round in "${rounds[@]}"; do
    reset_machine
    eval "${round%|*}"
    run_setup
    assert_ppd_unchanged office2
    grep -Eq "^${round##*|}" "$RUN_LOG" || fail "no '${round##*|}' in the log"
  done
}

# /etc/cups/ppd full, /etc/cups (backups and PPDs) on one full file system, /tmp full: every queue keeps
# its PPD byte for byte, a backup is the complete old PPD or absent, a queue that cannot be backed up is
# not refreshed, nothing is left beside the PPDs.
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
    assert_eq "$(ls /etc/cups /etc/cups/ppd | grep -c qixnew || true)" 0 "temporary files beside the PPDs"
    assert_no_temp_files
    umount "$full"
  done
}
