# The generated information file and un-installation script as the system sees them, and the probe
# for an earlier installation in /opt/vyr. The writers run through the genfiles tool.

GENFILES=$ORVO_BUILD_DIR/genfiles

# Every file and directory the un-installation script names, plus neighbours it must leave alone.
_installed_tree() {
  rm -rf /opt/vyr /usr/share/cups/model/vyr /opt/vyr-keep
  local file
  for file in orvoInfo4.0 ORVOINST.CONF bin/qixgsfilter bin/nc bin/setup bin/extra etc/orvo4.0.png \
    etc/ORVOINST.CONF; do
    write_file "/opt/vyr/$file" "x"
  done
  write_file /usr/bin/qixgsfilter "#!/bin/sh" 755
  write_file /usr/share/cups/model/vyr/ppd/a.ppd "ppd"
  write_file /usr/share/cups/model/vyr/keep.ppd "kept"
  write_file /opt/vyr-keep/file "kept"
  "$GENFILES" uninstall /opt/vyr /usr/share/cups/model/vyr 2>/dev/null
}

_assert_tree_intact() {
  local path
  for path in /opt/vyr/orvoInfo4.0 /opt/vyr/bin/qixgsfilter /opt/vyr/etc/UNINSTALLORVO /usr/bin/qixgsfilter \
    /usr/share/cups/model/vyr/ppd/a.ppd; do
    assert_file_exists "$path"
  done
}

case_new_information_file_is_exact() {
  mkdir -p /opt/vyr
  (umask 077 && "$GENFILES" info /opt/vyr)
  local expected
  expected=$(printf '%s\n' '#' '# Orvo 4.0 Information File' '#' '%%QIXBLOCK_GENERAL_BEGIN' \
    'USRDIR          /opt/vyr' 'HOMEDIR         $HOME' 'TMPDIR          /tmp' '%%QIXBLOCK_GENERAL_END' '#' '#' \
    '%%QIXBLOCK_PRINTERS_BEGIN' 'Default' '%%QIXBLOCK_PRINTERS_END' '#' '#' '%%QIXBLOCK_USERS_BEGIN' 'root' \
    '%%QIXBLOCK_USERS_END' '#' '#' '%%QIXBLOCK_PRNT_BEGIN Default' 'root' '%%QIXBLOCK_PRNT_END Default' '#' '#' \
    '%%QIXEND'; echo x)
  assert_eq "$(cat /opt/vyr/orvoInfo4.0; echo x)" "$expected" "orvoInfo4.0"
  assert_eq "$(stat -c '%a %u' /opt/vyr/orvoInfo4.0)" "755 0" "mode and owner"
}

case_upgraded_information_file_changes_only_the_title() {
  write_file /opt/vyr/orvoInfo2.0 $'#\n# Orvo 2.0 Information File\n#\nUSRDIR          /opt/vyr\n# Information File end\n'
  "$GENFILES" upgrade /opt/vyr 2>/dev/null
  assert_eq "$(cat /opt/vyr/orvoInfo4.0)" $'#\n# Orvo 3.0 Information File\n#\nUSRDIR          /opt/vyr\n# Information File end'
  assert_eq "$("$GENFILES" find)" "1 1 /opt/vyr" "probe result"
}

case_uninstall_script_keeps_everything_on_empty_reply() {
  _installed_tree
  assert_eq "$(stat -c %a /opt/vyr/etc/UNINSTALLORVO)" "755" "script mode"
  local out
  out=$(printf '\n' | sh /opt/vyr/etc/UNINSTALLORVO)
  assert_eq "$out" $'De-installation of \'Orvo 4.0-0\'\nDo you really want to de-install Orvo 3.0? [no]? '
  _assert_tree_intact
  # End of input counts as the empty reply.
  sh /opt/vyr/etc/UNINSTALLORVO </dev/null >/dev/null
  _assert_tree_intact
}

case_uninstall_script_asks_again_on_other_reply() {
  _installed_tree
  local out
  out=$(printf 'maybe\nnope\nn\n' | sh /opt/vyr/etc/UNINSTALLORVO)
  assert_eq "$(grep -c '^Answer with yes or no please.$' <<<"$out")" "2" "reminders"
  assert_eq "$(grep -c 'de-install Orvo 3.0' <<<"$out")" "3" "questions"
  _assert_tree_intact
}

case_uninstall_script_deletes_exactly_the_listed_files_on_yes() {
  local answer
  for answer in yes y o Yes YES; do
    _installed_tree
    printf '%s\n' "$answer" | sh /opt/vyr/etc/UNINSTALLORVO >/dev/null
    assert_no_file /opt/vyr
    assert_no_file /usr/bin/qixgsfilter
    assert_no_file /usr/share/cups/model/vyr/ppd
    assert_file_exists /usr/share/cups/model/vyr/keep.ppd
    assert_file_exists /opt/vyr-keep/file
  done
}

case_older_information_file_wins() {
  write_file /opt/vyr/orvoInfo2.0 $'USRDIR          /srv/old\n'
  write_file /opt/vyr/orvoInfo4.0 $'USRDIR          /srv/new\n'
  assert_eq "$("$GENFILES" find)" "1 1 /srv/old" "both files"
  write_file /opt/vyr/orvoInfo2.0 $'# no key here\n'
  assert_eq "$("$GENFILES" find)" "1 2 /srv/new" "older file without the key"
  rm /opt/vyr/orvoInfo2.0
  assert_eq "$("$GENFILES" find)" "1 2 /srv/new" "current file only"
  assert_eq "$(ORVOINFO=/opt/vyr/missing "$GENFILES" find)" "0 -1 " "ORVOINFO names a missing file"
  assert_eq "$(ORVOINFO=/opt/vyr/orvoInfo4.0 "$GENFILES" find)" "1 1 /srv/new" "ORVOINFO is kind 1"
  rm /opt/vyr/orvoInfo4.0
  assert_eq "$("$GENFILES" find)" "0 -1 " "no file"
}
