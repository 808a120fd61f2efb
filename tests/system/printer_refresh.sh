# The per-printer PPD refresh at the end of an install run: queue PPDs in /etc/cups/ppd made by hand,
# the package unpacked under /srv, no scheduler (CUPS named by the environment, restarts answered by a
# fake).
# The arranging helpers at the top are shared by cups_restart.sh, install_branch.sh and prompts.sh.

PKG=/srv/orvo-4.0-0
PPDGEN=$ORVO_BUILD_DIR/ppdgen
# Where this machine's run puts the package's PPDs (it has /usr/share/ppd), and the fallback directory.
NEW_PPD_DIR=/usr/share/ppd/vyr
ORIGINALS=/root/original-ppds

# The package in $PKG: setup itself (the package directory is where setup lies), a manifest installing
# it and the PPDs, and the new PPDs (marker 4.0) given as "MODEL|PDL|FILE" words.
make_package() {
  local spec model pdl file
  mkdir -p "$PKG/bin" "$PKG/ppd"
  cp "$SETUP" "$PKG/setup"
  cp "$SETUP" "$PKG/bin/setup"
  write_file "$PKG/etc/ORVOINST.CONF" $'bin/setup\t./bin\t00755\nppd/*.ppd.gz\t?\n'
  for spec in "$@"; do
    IFS='|' read -r model pdl file <<<"$spec"
    "$PPDGEN" --model "$model" --pdl "$pdl" --version 4.0 -o "$PKG/ppd/$file"
  done
  rm -f /etc/cups/ppd/*
  mkdir -p /etc/cups/ppd "$ORIGINALS"
}

# old_queue QUEUE MODEL PDL [ppdgen options]: a queue on an old package PPD (marker 1.5 unless an option
# says otherwise); a copy is kept to compare with.
old_queue() {
  local queue=$1 model=$2 pdl=$3
  shift 3
  "$PPDGEN" --model "$model" --pdl "$pdl" --version 1.5 "$@" -o "/etc/cups/ppd/$queue.ppd"
  cp "/etc/cups/ppd/$queue.ppd" "$ORIGINALS/$queue.ppd"
}

# Every CUPS restart is one call of a fake systemctl that succeeds, and one status line in the log.
fake_restart() {
  fake_command /usr/bin/systemctl 0
  remove_command /usr/sbin/service /etc/init.d/cups /etc/init.d/cupsys
}

# run_setup OPTIONS...: the package's setup with standard input closed; ask_setup ANSWERS OPTIONS... feeds
# ANSWERS on standard input. Output lands in /tmp/setup.out and /tmp/setup.err; the exit status must be 0.
# shellcheck disable=SC2120  # the cases here pass no options; the other scripts do
run_setup() {
  local status=0
  QIXLPMODE=${QIXLPMODE-CUPS} timeout 30 "$PKG/setup" "$@" </dev/null >/tmp/setup.out 2>/tmp/setup.err ||
    status=$?
  assert_eq "$status" 0 "setup exit status"
}

ask_setup() {
  local status=0
  printf '%s' "$1" >/root/answers
  shift
  QIXLPMODE=${QIXLPMODE-CUPS} timeout 30 "$PKG/setup" "$@" </root/answers >/tmp/setup.out 2>/tmp/setup.err ||
    status=$?
  assert_eq "$status" 0 "setup exit status"
}

# Puts the machine back as make_package and old_queue left it: queue PPDs, no backups, no installation.
reset_machine() {
  local ppd
  rm -rf /opt/vyr "$NEW_PPD_DIR" /etc/cups/*.rpmsave "$RUN_LOG" "$FAKE_CALLS_DIR"/*.log
  for ppd in "$ORIGINALS"/*.ppd; do
    [[ ! -e $ppd ]] || cp "$ppd" /etc/cups/ppd/
  done
}

# How many per-printer questions the last run put.
printer_questions() {
  grep -o 'Do you want to update printer: ' /tmp/setup.out | wc -l
}

# The queues in the order the inventory listed them, and the ones the refresh worked on, one a line.
listed_queues() {
  run_log | sed -n '/^List of Ostra Printers installed/,/^List of Ostra PPD files/s/^Printer : \(.*\)\.$/\1/p'
}
refreshed_queues() {
  run_log | sed -n 's/^Printer = \(.*\) with PPD=.*/\1/p'
}

restart_count() {
  run_log | grep -c '^CUPS reset returned with: ' || true
}

assert_no_temp_files() {
  assert_eq "$(find /tmp -maxdepth 1 \( -name 'qixin*' -o -name 'qixot*' -o -name 'QIX*' \))" "" \
    "temporary files left in /tmp"
}

assert_ppd_unchanged() {
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/ppd/$1.ppd" || fail "the PPD of queue $1 changed"
}

# The queue now has the package's new PPD (marker 4.0) and its old PPD is the backup.
assert_refreshed() {
  grep -q '^\*% Orvo version: 4.0$' "/etc/cups/ppd/$1.ppd" || fail "queue $1 is not on a new PPD"
  cmp -s "$ORIGINALS/$1.ppd" "/etc/cups/$1.ppd.rpmsave" || fail "no backup of the old PPD of queue $1"
}

assert_not_refreshed() {
  assert_ppd_unchanged "$1"
  assert_no_file "/etc/cups/$1.ppd.rpmsave"
}

# --- cases -----------------------------------------------------------------------------------------------

case_refreshes_every_queue_in_list_order() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz" "Ostra LP-1100n|ps|orvo003-ps.ppd.gz"
  # A package PPD stored plain in the fallback directory serves a model the package directory lacks.
  mkdir -p /opt/vyr/ppd
  "$PPDGEN" --model "Ostra LP-1100dtn" --pdl pxl --version 4.0 -o /opt/vyr/ppd/orvo001-pxl.ppd
  old_queue office2 "Ostra LP-1100dn" pcl --pagesize A4 --default Duplex=DuplexNoTumble
  old_queue lab "Ostra LP-1100n" ps --default Resolution=1200dpi
  old_queue hall "Ostra LP-1100dtn" pxl
  # Not the package's to refresh: a newer marker, no marker, a model outside the table.
  old_queue newer "Ostra LP-1100dn" pcl --version 2.0
  old_queue unmarked "Ostra LP-1100dn" pcl --version none
  old_queue foreign "Acme Jet 9" pcl
  write_file /opt/vyr/office2/root/orvoConfig $'Name=office2\n%%ORVO_VERSION_1.0 built 2019\nx %%ORVO_VERSION_1.0\n' 640
  # gzip records its calls and does the real work.
  cp /usr/bin/gzip /root/gzip.real
  write_file /usr/bin/gzip $'#!/bin/sh\nprintf \'%s\\n\' "$*" >>/tmp/fake-calls/gzip.log\nexec /root/gzip.real "$@"\n' 755

  run_setup
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "queues refreshed, in list order"
  assert_eq "$(listed_queues | sort | tr '\n' ' ')" "hall lab office2 " "queues listed"
  assert_eq "$(cat /tmp/setup.out)" "" "questions"
  local queue
  for queue in office2 lab hall; do assert_refreshed "$queue"; done
  for queue in newer unmarked foreign; do assert_not_refreshed "$queue"; done
  grep -q '^\*DefaultPageSize: A4$' /etc/cups/ppd/office2.ppd || fail "office2 lost its page size"
  grep -q '^\*DefaultDuplex: DuplexNoTumble$' /etc/cups/ppd/office2.ppd || fail "office2 lost its duplex default"
  grep -q '^\*DefaultResolution: 1200dpi$' /etc/cups/ppd/lab.ppd || fail "lab lost its resolution"

  assert_log_order $'==========================================================\nPrinter = office2 with PPD=/etc/cups/ppd/office2.ppd\n' \
    $'saving /etc/cups/ppd/office2.ppd to /etc/cups/office2.ppd.rpmsave: result=0\n' \
    $'Processing Ostra PPD files for printer: office2.\n' \
    $'PPD = '"$NEW_PPD_DIR"$'/orvo002-pcl.ppd.gz.\n' \
    $'New PPD for printer office2 in: /tmp/qixot' \
    $'Copying /tmp/qixot' $' to /etc/cups/ppd/office2.ppd: result=0\n' \
    $'processPrinterConfig(office2): updated.\n'
  assert_log_contains $'Getting PPD from directory: '"$NEW_PPD_DIR"$'\nGetting PPD from directory: /opt/vyr/ppd\nPPD = /opt/vyr/ppd/orvo001-pxl.ppd.\n'
  # The compressed PPDs were copied to a ".gz" name and decompressed there; the plain one was not.
  local calls
  calls=$(fake_calls gzip)
  assert_eq "$(grep -c '^-d /tmp/qixin[A-Za-z0-9]\{6\}\.gz$' <<<"$calls")" 2 "gzip -d calls ($calls)"

  # The marker line is replaced whole; other lines and the file's mode stay.
  assert_eq "$(cat /opt/vyr/office2/root/orvoConfig)" $'Name=office2\n%%ORVO_VERSION_3.0\n%%ORVO_VERSION_3.0' \
    "office2 configuration"
  assert_eq "$(stat -c %a /opt/vyr/office2/root/orvoConfig)" 640 "configuration mode"
  assert_eq "$(ls /opt/vyr/office2/root)" orvoConfig "configuration directory"
  # Queues without a configuration directory get no configuration step.
  assert_not_contains "$(run_log)" "processPrinterConfig(lab)"
  assert_not_contains "$(run_log)" "processPrinterConfig(hall)"
  assert_no_file /opt/vyr/lab
  # Once after the refresh, once at the end of the run.
  assert_eq "$(fake_calls systemctl)" $'restart cups.service\nrestart cups.service' "CUPS restarts"
  assert_no_temp_files
}

case_asks_per_printer_with_query_mode() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"
  old_queue one "Ostra LP-1100dn" pcl
  old_queue two "Ostra LP-1100dn" pcl
  old_queue three "Ostra LP-1100dn" pcl
  local first second third questions
  reset_machine

  # Install: yes; then No, Yes, Yes.
  ask_setup $'y\nn\ny\ny\n' -q 1
  read -r first second third <<<"$(listed_queues | tr "\n" " ")"
  questions=$(grep -o 'Do you want to update printer: [a-z]*? ' /tmp/setup.out | tr '\n' '|')
  assert_eq "$questions" "Do you want to update printer: $first? |Do you want to update printer: $second? |Do you want to update printer: $third? |" "questions"
  assert_eq "$(refreshed_queues | tr '\n' ' ')" "$second $third " "refreshed after No, Yes, Yes"
  assert_not_refreshed "$first"
  assert_eq "$(restart_count)" 2 "CUPS restarts"

  # All at the first printer: no further question, every printer refreshed.
  reset_machine
  ask_setup $'y\nall\nn\nn\n' -q 1
  assert_eq "$(printer_questions)" 1 "questions after All"
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "refreshed after All"
  assert_eq "$(restart_count)" 2 "CUPS restarts"

  # Break at the second printer: the first stays refreshed, nothing more, no restart from the refresh.
  reset_machine
  ask_setup $'y\ny\nb\ny\n' -q 1
  read -r first second third <<<"$(listed_queues | tr "\n" " ")"
  assert_eq "$(printer_questions)" 2 "questions up to Break"
  assert_eq "$(refreshed_queues)" "$first" "refreshed before Break"
  assert_refreshed "$first"
  assert_not_refreshed "$second"
  assert_not_refreshed "$third"
  assert_eq "$(restart_count)" 1 "CUPS restarts after Break"
  assert_log_order "Printer = $first with PPD=" $'CUPS reset returned with: 0\nFinishing Orvo 4.0-0 installation : '
  assert_no_temp_files
}

case_missing_new_ppd_keeps_queue_ppd() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"
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
  assert_no_temp_files
}

# gzip fails, gzip leaves no file, /tmp fills up while the new PPD is written, and /tmp is full before
# the compressed new PPD is copied there: each time the queue keeps its PPD byte for byte, the failed
# install copy is logged with its status, /tmp is left clean.
case_failed_build_keeps_queue_ppd() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"
  old_queue office2 "Ostra LP-1100dn" pcl --pagesize A4
  cp /usr/bin/gzip /root/gzip.real
  cp /usr/bin/cp /root/cp.real
  local round
  for round in fails no_output tmp_full copy_fails; do
    reset_machine
    case $round in
      fails) fake_command /usr/bin/gzip 1 "" "gzip: corrupt" ;;
      no_output) fake_command /usr/bin/gzip 0 ;;
      tmp_full)
        # A /tmp of its own, filled by gzip right after it decompressed for real.
        mount -t tmpfs -o size=64k full /tmp
        write_file /usr/bin/gzip $'#!/bin/sh\n/root/gzip.real "$@" || exit\ncat /dev/zero >/tmp/filler 2>/dev/null\nexit 0\n' 755
        ;;
      copy_fails)
        # A fresh /tmp of its own, filled by cp right after the backup copy of the queue's PPD.
        cp /root/gzip.real /usr/bin/gzip
        mount -t tmpfs -o size=64k full /tmp
        write_file /usr/bin/cp $'#!/bin/sh\n/root/cp.real "$@" || exit\ncase $3 in *.rpmsave) cat /dev/zero >/tmp/filler 2>/dev/null ;; esac\nexit 0\n' 755
        ;;
    esac
    run_setup
    [[ $round != tmp_full && $round != copy_fails ]] || { rm /tmp/filler; }
    assert_ppd_unchanged office2
    case $round in
      fails) assert_log_contains "Problem decompressing: /tmp/qixin" ;;
      no_output) assert_log_contains "Problem opening: /tmp/qixin" ;;
      tmp_full) assert_log_contains "Problem opening: /tmp/qixot" ;;
      # What could not be copied whole cannot be decompressed.
      copy_fails)
        grep -qx 'Problem decompressing: /tmp/qixin[A-Za-z0-9]\{6\}\.gz for printer office2!' <<<"$(run_log)" ||
          fail "copy_fails: no decompression problem logged"
        ;;
    esac
    assert_not_contains "$(run_log)" "New PPD for printer"
    local copy
    copy=$(run_log | grep '^Copying .* to /etc/cups/ppd/office2.ppd: result=')
    [[ $copy =~ result=[1-9][0-9]*$ ]] || fail "$round: install copy not failed: $copy"
    cmp -s "$ORIGINALS/office2.ppd" /etc/cups/office2.ppd.rpmsave || fail "$round: no backup"
    assert_no_temp_files
  done
}

# Files named like what the queue names below would create if the shell read them as commands.
stray_files() {
  { find / -maxdepth 1; find /srv /root /tmp /etc/cups /opt /var/tmp; } |
    grep -E '/(x|y|w|v|x\.ppd.*)$' | sort || true
}

# Queue names from file names reach the shell quoted: nothing but the copies runs.
case_queue_names_with_shell_characters() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"
  # shellcheck disable=SC2016  # the names are meant literally
  local -a queues=('a;touch x' "it's \$(touch y) z" 'b`touch w`|touch v&')
  local queue
  for queue in "${queues[@]}"; do
    old_queue "$queue" "Ostra LP-1100dn" pcl --pagesize A4
    write_file "/opt/vyr/$queue/root/orvoConfig" $'%%ORVO_VERSION_1.0\n'
  done
  local before
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
  assert_no_temp_files
}

# The configuration file is replaced only by a complete rewrite: on a full file system it stays as it was.
case_config_rewrite_failure_keeps_old_file() {
  fake_restart
  make_package "Ostra LP-1100dn|pcl|orvo002-pcl.ppd.gz"
  old_queue q "Ostra LP-1100dn" pcl
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
  assert_not_contains "$(run_log)" "processPrinterConfig(q)"
  assert_log_order "Copying /tmp/qixot" "to /etc/cups/ppd/q.ppd: result=0" "CUPS reset returned with: 0"
  assert_no_temp_files
}
