# The install engine on its own: engine_driver reads a package's manifest and runs goInstall as the
# install branch does, with the run log in /var/log and a fake chcon recording the relabels.

ARCHIVE=/var/tmp/OrvoPPDFiles4.0-0.tar

# A machine without the package (no /opt/vyr, filter link or earlier backup, chcon recording calls), and
# the package in /srv/orvo, whose files have mode 0600 so every mode the engine sets shows; $1 is the manifest.
package_on_plain_machine() {
  rm -rf /opt/vyr "$ARCHIVE" /srv/orvo
  remove_command /usr/bin/qixgsfilter
  fake_command /usr/bin/chcon 0
  local name
  for name in setup qixgsfilter nc ab libq.so README ppd/a.ppd.gz ppd/b.ppd.gz; do write_file "/srv/orvo/$name" "$name" 600; done
  write_file /srv/orvo/etc/ORVOINST.CONF "$1"
}

# engine_driver run from / with the given options; its standard error is left in /tmp/engine.err.
run_engine() {
  rm -f "$RUN_LOG"
  (cd / && "$ORVO_BUILD_DIR/engine_driver" "$@") >/tmp/engine.out 2>/tmp/engine.err ||
    fail "engine_driver exited with $? ($(cat /tmp/engine.err))"
}

modes() {
  stat -c %a "$@" | xargs
}

# A dangling filter link, left by a removed installation, is replaced.
case_new_installation_copies_every_destination_form() {
  package_on_plain_machine $'# package files\nsetup\t./bin\t00755\nqixgsfilter\t./bin\t00755\nnc\t./bin\nab\t./bin\n'$'libq.so\t./lib 00644\nREADME\t.\t00644\nppd/*.ppd.gz\t?\nstray\telsewhere\n'
  ln -s /srv/gone-filter /usr/bin/qixgsfilter
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd -D 1
  assert_eq "$(modes /opt/vyr /opt/vyr/bin /opt/vyr/etc /opt/vyr/ppd)" "777 755 755 755" "directory modes"
  # An item with mode 0 keeps the source's mode; "." installs under the file's own name; "ab" is too short.
  assert_eq "$(modes /opt/vyr/bin/setup /opt/vyr/bin/qixgsfilter /opt/vyr/bin/nc /opt/vyr/lib /opt/vyr/lib/libq.so /opt/vyr/README)" \
    "755 755 600 777 644 644" "file modes"
  assert_no_file /opt/vyr/bin/ab
  assert_eq "$(ls /opt/vyr/ppd | xargs)" "a.ppd.gz b.ppd.gz" "PPDs copied by the glob"
  assert_file_exists /opt/vyr/orvoInfo4.0 /opt/vyr/etc/UNINSTALLORVO
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /opt/vyr/bin/qixgsfilter "filter link"
  assert_log_order "cd /srv/orvo." "setup after rpm in: /srv/orvo." "Changing execution rights of '/opt/vyr/ppd' to  00755." \
    $'Installation directory: \'/opt/vyr\' OK. \n' $'Creating configuration file: \'/opt/vyr/orvoInfo3.0\'. \n' \
    $'Creating printer start scripts. \n' $'goInstall: Starting copy loop for 8 items.\n' $'Copying file nc to /opt/vyr/bin. \n' \
    $'Changing execution rights of \'/opt/vyr/lib/libq.so\' to  00644.\n' $'Copying file ppd/*.ppd.gz to /opt/vyr/ppd. \n' \
    "Install manifest item stray rejected: destination 'elsewhere' is not a known form." \
    $'Link 1: /usr/bin/qixgsfilter linked to /opt/vyr/bin/qixgsfilter.\n'
  assert_log_lacks "Copying file ab " "WRONG"
  assert_contains "$(cat /tmp/engine.err)" $'goInstall[0]: setup ===> ./bin, o755.\n'
  assert_eq "$(fake_calls chcon)" $'-u system_u /var/log/Orvo4.0_UpdateLog\n-R -u system_u /opt/vyr/bin\n-u system_u /usr/bin/qixgsfilter\n-t bin_t /opt/vyr/bin/qixgsfilter' "relabels"
}

# Installing over the package's own directory copies nothing before the first "?" item, everything after.
case_same_directory_copies_from_first_ppd_item_on() {
  package_on_plain_machine ""
  write_file /opt/vyr/early "early" 600
  write_file /opt/vyr/late "late" 600
  write_file /opt/vyr/ppd/p.ppd.gz "p" 600
  write_file /opt/vyr/etc/ORVOINST.CONF $'early\t./sub\t00644\nppd/p.ppd.gz\t?\nlate\t./extra\t00644\n'
  mkdir -p /srv/ppd
  run_engine -s /opt/vyr -u /opt/vyr -p /srv/ppd
  assert_no_file /opt/vyr/sub/early
  assert_eq "$(modes /srv/ppd/p.ppd.gz /opt/vyr/extra/late)" "600 644" "items from the first ? on"
  assert_log_lacks "setup after rpm" "Copying file early"
}

# A failing copy is marked wrong and sets no mode; an existing filter link is left alone, and relabelled.
case_failing_copy_and_existing_filter() {
  package_on_plain_machine $'libq.so\t./lib\t00644\n'
  write_file /srv/other-filter "other"
  ln -s /srv/other-filter /usr/bin/qixgsfilter
  fake_command /usr/bin/cp 1
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd
  assert_eq "$(fake_calls cp)" "libq.so /opt/vyr/lib" "cp arguments"
  assert_log_contains $'Copying file libq.so to /opt/vyr/lib. : WRONG!!!\n'
  assert_log_lacks "Changing execution rights of '/opt/vyr/lib/libq.so'" "Link 1:"
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /srv/other-filter "existing link"
  assert_log_order 'chcon SELinux for: "/usr/bin/chcon -u system_u /usr/bin/qixgsfilter 2>/dev/null": result: 0' \
    'chcon SELinux for: "/usr/bin/chcon -t bin_t /opt/vyr/bin/qixgsfilter 2>/dev/null": result: 0'
}

# "?" items go to the PPD directory; without one to the CUPS model directory, without that to /tmp; a PPD
# directory that cannot be made falls back to vyr in the model directory. When that is no directory at
# all, or missing, the upgrade's backup archives nothing rather than the package.
case_ppd_items_fall_back_to_model_dir_then_tmp() {
  package_on_plain_machine $'ppd/*.ppd.gz\t?\n'
  mkdir -p /srv/model
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/model
  assert_eq "$(ls /srv/model | xargs)" "a.ppd.gz b.ppd.gz" "CUPS model directory"
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/no-model
  assert_file_exists /tmp/a.ppd.gz /tmp/b.ppd.gz
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/no-model -g 1
  assert_log_contains $'Cannot access PPD dir: "/srv/no-model/vyr"\n'
  assert_log_lacks "Saved PPD files"
  rm /srv/model/*
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/model
  assert_log_order "Could not create directory: /srv/missing/ppd" "Falling back to CUPS model dir: /srv/model" \
    "Copying file ppd/*.ppd.gz to /srv/model/vyr. "
  assert_eq "$(modes /srv/model/vyr) $(ls /srv/model/vyr | xargs)" "766 a.ppd.gz b.ppd.gz" "fallback PPD directory"
  rm -rf /srv/model/vyr
  write_file /srv/model/vyr "not a directory"
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/model -g 1
  assert_log_order "Falling back to CUPS model dir: /srv/model" "Saved PPD files from: /srv/model/vyr." "To: $ARCHIVE."
  assert_no_file "$ARCHIVE"
}

case_unmakeable_installation_directory_ends_the_run() {
  package_on_plain_machine $'setup\t./bin\t00755\n'
  write_file /srv/blocker "x"
  run_engine -s /srv/orvo -u /srv/blocker/vyr -p /opt/vyr/ppd
  assert_log_order "No VYR directory: '/srv/blocker/vyr' possible" "Could not find or create VYR directory : /srv/blocker/vyr" \
    "Sorry to quit the installation." "Finishing Orvo 4.0-0 installation : "
  assert_log_lacks "Starting copy loop"
}
