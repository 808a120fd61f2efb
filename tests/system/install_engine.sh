# The install engine on its own: engine_driver reads a package's manifest and runs goInstall as the
# install branch does, with the run log in /var/log and a fake chcon recording the relabels.

ENGINE=$ORVO_BUILD_DIR/engine_driver
ARCHIVE=/var/tmp/OrvoPPDFiles4.0-0.tar

# A package in /srv/orvo whose files have mode 0600, so every mode the engine sets shows; $1 is the manifest.
make_package() {
  local name
  for name in setup qixgsfilter nc ab libq.so README ppd/a.ppd.gz ppd/b.ppd.gz; do
    write_file "/srv/orvo/$name" "$name" 600
  done
  write_file /srv/orvo/etc/ORVOINST.CONF "$1"
}

# A machine without the package: no /opt/vyr, no filter link, no earlier backup, chcon recording calls.
plain_machine() {
  rm -rf /opt/vyr "$ARCHIVE"
  remove_command /usr/bin/qixgsfilter
  fake_command /usr/bin/chcon 0
}

# Runs engine_driver from / with the given options; its standard error is left in /tmp/engine.err.
run_engine() {
  local status=0
  (cd / && "$ENGINE" "$@") >/tmp/engine.out 2>/tmp/engine.err || status=$?
  assert_eq "$status" 0 "engine_driver exit status ($(cat /tmp/engine.err))"
}

mode_of() {
  stat -c %a "$1"
}

case_new_installation_copies_every_destination_form() {
  plain_machine
  make_package $'# package files\nsetup\t./bin\t00755\nqixgsfilter\t./bin\t00755\nnc\t./bin\nab\t./bin\n'$'libq.so\t./lib 00644\nREADME\t.\t00644\nppd/*.ppd.gz\t?\nstray\telsewhere\n'
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd -D 1

  assert_eq "$(mode_of /opt/vyr) $(mode_of /opt/vyr/bin) $(mode_of /opt/vyr/etc)" "777 755 755" "base directory modes"
  assert_eq "$(mode_of /opt/vyr/bin/setup) $(mode_of /opt/vyr/bin/qixgsfilter)" "755 755" "bin modes"
  assert_eq "$(mode_of /opt/vyr/bin/nc)" 600 "mode of an item with mode 0"
  assert_no_file /opt/vyr/bin/ab
  assert_eq "$(mode_of /opt/vyr/lib) $(mode_of /opt/vyr/lib/libq.so)" "777 644" "./lib and its file"
  assert_eq "$(mode_of /opt/vyr/README)" 644 "README installed under its own name"
  [[ -f /opt/vyr/README ]] || fail "README is not a file"
  assert_eq "$(mode_of /opt/vyr/ppd)" 755 "new PPD installation directory"
  assert_eq "$(ls /opt/vyr/ppd | tr '\n' ' ')" "a.ppd.gz b.ppd.gz " "PPDs copied by the glob"
  assert_file_exists /opt/vyr/orvoInfo4.0
  assert_file_exists /opt/vyr/etc/UNINSTALLORVO
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /opt/vyr/bin/qixgsfilter "filter link"

  assert_log_order "cd /srv/orvo." "setup after rpm in: /srv/orvo." \
    "Changing execution rights of '/opt/vyr/ppd' to  00755." \
    $'Installation directory: \'/opt/vyr\' OK. \n' \
    $'Creating configuration file: \'/opt/vyr/orvoInfo3.0\'. \n' \
    $'Creating uninstallation script: \'/opt/vyr/UNINSTALLORVO\'. \n' \
    $'Creating printer start scripts. \n' \
    $'goInstall: Starting copy loop for 8 items.\n' \
    $'Copying file setup to /opt/vyr/bin. \n' \
    $'Copying file nc to /opt/vyr/bin. \n' \
    $'Copying file libq.so to /opt/vyr/lib. \n' \
    $'Changing execution rights of \'/opt/vyr/lib/libq.so\' to  00644.\n' \
    $'Changing execution rights of \'/opt/vyr/README\' to  00644.\n' \
    $'Copying file ppd/*.ppd.gz to /opt/vyr/ppd. \n' \
    "Install manifest item stray rejected: destination 'elsewhere' is not a known form." \
    $'Link 1: /usr/bin/qixgsfilter linked to /opt/vyr/bin/qixgsfilter.\n'
  local log
  log=$(run_log)
  assert_not_contains "$log" "Copying file ab "
  assert_not_contains "$log" "WRONG"
  assert_contains "$(cat /tmp/engine.err)" $'goInstall[0]: setup ===> ./bin, o755.\n'
  assert_contains "$(cat /tmp/engine.err)" "goInstall: Starting copy loop for 8 items."
  local calls
  calls=$(fake_calls chcon)
  assert_contains "$calls" "-R -u system_u /opt/vyr/bin"
  assert_contains "$calls" "-u system_u /usr/bin/qixgsfilter"
  assert_contains "$calls" "-t bin_t /opt/vyr/bin/qixgsfilter"
}

# Installing over the package's own directory copies nothing before the first "?" item, everything after.
case_same_directory_copies_from_first_ppd_item_on() {
  plain_machine
  write_file /opt/vyr/early "early" 600
  write_file /opt/vyr/late "late" 600
  write_file /opt/vyr/ppd/p.ppd.gz "p" 600
  write_file /opt/vyr/etc/ORVOINST.CONF $'early\t./sub\t00644\nppd/p.ppd.gz\t?\nlate\t./extra\t00644\n'
  mkdir -p /srv/ppd
  run_engine -s /opt/vyr -u /opt/vyr -p /srv/ppd

  assert_no_file /opt/vyr/sub/early
  assert_file_exists /srv/ppd/p.ppd.gz
  assert_eq "$(mode_of /opt/vyr/extra/late)" 644 "item after the first ?"
  local log
  log=$(run_log)
  assert_not_contains "$log" "setup after rpm"
  assert_not_contains "$log" "Copying file early"
  assert_log_order "Copying file ppd/p.ppd.gz to /srv/ppd. " "Copying file late to /opt/vyr/extra. "
}

case_failing_copy_is_marked_wrong_and_sets_no_mode() {
  plain_machine
  make_package $'libq.so\t./lib\t00644\n'
  fake_command /usr/bin/cp 1
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd

  assert_eq "$(fake_calls cp)" "libq.so /opt/vyr/lib" "cp arguments"
  assert_log_contains $'Copying file libq.so to /opt/vyr/lib. : WRONG!!!\n'
  assert_not_contains "$(run_log)" "Changing execution rights of '/opt/vyr/lib/libq.so'"
}

case_ppd_item_goes_to_cups_model_dir_without_ppd_dir() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  mkdir -p /srv/model
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/model

  assert_log_contains $'PPD installation dir: \n'
  assert_eq "$(ls /srv/model | tr '\n' ' ')" "a.ppd.gz b.ppd.gz " "CUPS model directory"
}

case_ppd_item_goes_to_tmp_without_ppd_or_model_dir() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/no-model

  assert_file_exists /tmp/a.ppd.gz
  assert_file_exists /tmp/b.ppd.gz
  assert_log_contains "Copying file ppd/*.ppd.gz to /tmp. "
}

case_uncreatable_ppd_dir_falls_back_to_model_dir_vyr() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  mkdir -p /srv/model
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/model

  assert_log_order "Could not create directory: /srv/missing/ppd" "Falling back to CUPS model dir: /srv/model" \
    "Copying file ppd/*.ppd.gz to /srv/model/vyr. "
  assert_eq "$(mode_of /srv/model/vyr)" 766 "fallback PPD directory"
  assert_eq "$(ls /srv/model/vyr | tr '\n' ' ')" "a.ppd.gz b.ppd.gz " "fallback PPD directory"
}

case_existing_filter_is_left_alone_and_relabelled() {
  plain_machine
  make_package $'qixgsfilter\t./bin\t00755\n'
  write_file /srv/other-filter "other"
  ln -s /srv/other-filter /usr/bin/qixgsfilter
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd

  assert_eq "$(readlink /usr/bin/qixgsfilter)" /srv/other-filter "existing link"
  assert_not_contains "$(run_log)" "Link 1:"
  assert_log_order 'chcon SELinux for: "/usr/bin/chcon -u system_u /usr/bin/qixgsfilter 2>/dev/null": result: 0' \
    'chcon SELinux for: "/usr/bin/chcon -t bin_t /opt/vyr/bin/qixgsfilter 2>/dev/null": result: 0'
  local calls
  calls=$(fake_calls chcon)
  assert_contains "$calls" "-u system_u /usr/bin/qixgsfilter"
  assert_contains "$calls" "-t bin_t /opt/vyr/bin/qixgsfilter"
}

# Upgrading from the older generation saves the PPD directory as it was, before new PPDs are copied.
case_upgrade_from_older_generation_saves_ppd_directory() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  write_file /opt/vyr/orvoInfo2.0 $'#\n# Orvo 2.0 Information File\n#\n%%QIXEND\n'
  write_file /opt/vyr/ppd/old1.ppd.gz "old1"
  write_file /opt/vyr/ppd/old2.ppd.gz "old2"
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd -g 1

  assert_eq "$(tar tf "$ARCHIVE" | sort | tr '\n' ' ')" "old1.ppd.gz old2.ppd.gz " "archive entries"
  assert_file_exists /opt/vyr/ppd/a.ppd.gz
  assert_log_order "PPD installation dir: /opt/vyr/ppd" "Saved PPD files from: /opt/vyr/ppd." "To: $ARCHIVE." \
    $'Copying Orvo config file /opt/vyr/orvoInfo2.0 to orvoInfo3.0. \n'
  assert_contains "$(cat /opt/vyr/orvoInfo4.0)" "# Orvo 3.0 Information File"
}

case_update_of_current_installation_writes_no_information_file() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  mkdir -p /opt/vyr/ppd
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd -g 2

  assert_no_file /opt/vyr/orvoInfo4.0
  assert_no_file "$ARCHIVE"
  assert_file_exists /opt/vyr/etc/UNINSTALLORVO
  assert_log_contains $'Skip creating configuration file: \'/opt/vyr/orvoInfo3.0\'. \n'
  assert_not_contains "$(run_log)" "Saved PPD files"
}

case_unmakeable_installation_directory_ends_the_run() {
  plain_machine
  make_package $'setup\t./bin\t00755\n'
  write_file /srv/blocker "x"
  run_engine -s /srv/orvo -u /srv/blocker/vyr -p /opt/vyr/ppd

  assert_log_order "No VYR directory: '/srv/blocker/vyr' possible" \
    "Could not find or create VYR directory : /srv/blocker/vyr" "Sorry to quit the installation." \
    "Finishing Orvo 4.0-0 installation : "
  assert_not_contains "$(run_log)" "Starting copy loop"
  assert_no_file /opt/vyr/ppd
}

# When the PPD directory is no directory at all, the backup archives nothing rather than the package.
case_backup_archives_nothing_when_ppd_directory_cannot_be_entered() {
  plain_machine
  make_package $'ppd/*.ppd.gz\t?\n'
  write_file /srv/model/vyr "not a directory"
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/model -g 1

  assert_log_order "Falling back to CUPS model dir: /srv/model" "Saved PPD files from: /srv/model/vyr." "To: $ARCHIVE."
  assert_no_file "$ARCHIVE"
}
