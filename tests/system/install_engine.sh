# The install engine on its own: engine_driver reads a package's manifest and runs goInstall as the
# install branch does, with the run log in /var/log and a fake chcon recording the relabels.

ARCHIVE=/var/tmp/OrvoPPDFiles4.0-0.tar

# The package in /srv/orvo, whose files have mode 0600 so every mode the engine sets shows, with the
# manifest $1; chcon records its calls.
package_on_plain_machine() {
  fake_command /usr/bin/chcon 0
  local name
  for name in setup qixgsfilter nc ab libq.so README ppd/a.ppd.gz ppd/b.ppd.gz; do write_file "/srv/orvo/$name" "$name" 600; done
  write_file /srv/orvo/etc/ORVOINST.CONF "$1"
}

# engine_driver run from / with the given options; its standard error is left in /tmp/engine.err.
run_engine() {
  (cd / && "$ORVO_BUILD_DIR/engine_driver" "$@") >/dev/null 2>/tmp/engine.err || fail "exit $?: $(</tmp/engine.err)"
}

modes() { stat -c %a "$@" | xargs; }

# Every destination form: an item with mode 0 keeps the source's mode, "." installs under the file's own
# name, "ab" is too short, an unknown form is rejected. A dangling filter link, left by a removed
# installation, is replaced.
case_new_installation_replaces_dangling_filter_link() {
  package_on_plain_machine $'setup\t./bin\t00755\nqixgsfilter\t./bin\t00755\nnc\t./bin\nab\t./bin\n'\
$'libq.so\t./lib 00644\nREADME\t.\t00644\nppd/*.ppd.gz\t?\nstray\telsewhere\n'
  ln -sfn /srv/gone-filter /usr/bin/qixgsfilter
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd -D 1
  assert_eq "$(modes /opt/vyr{,/bin,/etc,/ppd})" "1777 755 755 755" "directory modes"
  assert_eq "$(modes /opt/vyr/bin/{setup,qixgsfilter,nc} /opt/vyr/lib{,/libq.so} /opt/vyr/README)" \
    "755 755 600 755 644 644" "file modes"
  assert_eq "$(ls /opt/vyr/bin /opt/vyr/ppd | xargs)" "/opt/vyr/bin: nc qixgsfilter setup /opt/vyr/ppd: a.ppd.gz b.ppd.gz" "files"
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /opt/vyr/bin/qixgsfilter "filter link"
  assert_log_order "setup after rpm in: /srv/orvo." "Changing execution rights of '/opt/vyr/ppd' to  00755." \
    $'Creating configuration file: \'/opt/vyr/orvoInfo3.0\'. \n' $'goInstall: Starting copy loop for 8 items.\n' \
    "Install manifest item stray rejected: destination 'elsewhere' is not a known form." \
    $'Link 1: /usr/bin/qixgsfilter linked to /opt/vyr/bin/qixgsfilter.\n'
  assert_contains "$(cat /tmp/engine.err)" $'goInstall[0]: setup ===> ./bin, o755.\n'
}

# Installing over the package's own directory copies nothing before the first "?" item, everything after.
case_same_directory_copies_from_first_ppd_item_on() {
  package_on_plain_machine ""
  mkdir -p /opt/vyr/ppd && touch /opt/vyr/{early,late,ppd/p.ppd.gz} && chmod 600 /opt/vyr/{late,ppd/p.ppd.gz}
  write_file /opt/vyr/etc/ORVOINST.CONF $'early\t./sub\t00644\nppd/p.ppd.gz\t?\nlate\t./extra\t00644\n'
  run_engine -s /opt/vyr -u /opt/vyr -p /srv/ppd
  assert_no_file /opt/vyr/sub/early
  assert_eq "$(modes /srv/ppd/p.ppd.gz /opt/vyr/extra/late)" "600 644" "items from the first ? on"
}

# A failing copy is marked wrong and sets no mode; an existing filter link is left alone, and relabelled,
# each result logged. An installation directory that cannot be made ends the run before any copy.
case_failing_copy_existing_filter_and_unmakeable_directory() {
  package_on_plain_machine $'libq.so\t./lib\t00644\n'
  ln -sfn /srv/orvo/README /usr/bin/qixgsfilter
  fake_command /usr/bin/cp 1
  run_engine -s /srv/orvo -u /opt/vyr -p /opt/vyr/ppd
  assert_log_contains $'Copying file libq.so to /opt/vyr/lib. : WRONG!!!\n'
  assert_log_lacks "Changing execution rights of '/opt/vyr/lib/libq.so'" "Link 1:"
  assert_eq "$(readlink /usr/bin/qixgsfilter)" /srv/orvo/README "existing link"
  assert_log_order 'chcon SELinux for: "/usr/bin/chcon -R -u system_u /opt/vyr/bin 2>/dev/null": result: 0' \
    'chcon SELinux for: "/usr/bin/chcon -u system_u /usr/bin/qixgsfilter 2>/dev/null": result: 0' \
    'chcon SELinux for: "/usr/bin/chcon -t bin_t /opt/vyr/bin/qixgsfilter 2>/dev/null": result: 0'
  run_engine -s /srv/orvo -u /srv/orvo/README/vyr -p /opt/vyr/ppd
  assert_log_order "Could not find or create VYR directory : /srv/orvo/README/vyr" "Sorry to quit the installation." \
    "Finishing Orvo 4.0-0 installation : "
  assert_log_lacks "Starting copy loop"
}

# "?" items go to the PPD directory; without one to the CUPS model directory, without that to /tmp; a PPD
# directory that cannot be made falls back to vyr in the model directory. When that is no directory at
# all, the upgrade's backup archives nothing rather than the package.
case_ppd_items_fall_back_to_model_dir_then_tmp() {
  package_on_plain_machine $'ppd/*.ppd.gz\t?\n'
  mkdir -p /srv/model /srv/other-model
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/model
  assert_eq "$(ls /srv/model | xargs)" "a.ppd.gz b.ppd.gz" "CUPS model directory"
  run_engine -s /srv/orvo -u /opt/vyr -p "" -m /srv/no-model
  assert_file_exists /tmp/a.ppd.gz /tmp/b.ppd.gz
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/other-model
  assert_eq "$(modes /srv/other-model/vyr) $(ls /srv/other-model/vyr | xargs)" "755 a.ppd.gz b.ppd.gz" "fallback PPD directory"
  write_file /srv/model/vyr "not a directory"
  run_engine -s /srv/orvo -u /opt/vyr -p /srv/missing/ppd -m /srv/model -g 1
  assert_log_order "Saved PPD files from: /srv/model/vyr." "To: $ARCHIVE."
  assert_no_file "$ARCHIVE"
}
