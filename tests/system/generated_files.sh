# The generated information file and un-installation script as the system sees them, and the probe
# for an earlier installation in /opt/vyr. The writers run through the genfiles tool.

GENFILES=$ORVO_BUILD_DIR/genfiles

case_new_information_file_is_exact() {
  mkdir -p /opt/vyr
  (umask 077 && "$GENFILES" info /opt/vyr)
  write_info_file /root/expected "Orvo 4.0 Information File" /opt/vyr Default
  assert_eq "$(wc -l </root/expected)" 26 "lines of the expected file"
  cmp /root/expected /opt/vyr/orvoInfo4.0 || fail "orvoInfo4.0 is not the 26 lines"
  assert_eq "$(stat -c '%a %u' /opt/vyr/orvoInfo4.0)" "755 0" "mode and owner"
}

# Run with sh, the script deletes exactly the files and directories it lists on yes, y, o or Yes, and
# nothing on an empty reply, at the end of input or on no; any other reply reminds and asks again.
case_uninstall_script_deletes_only_on_yes() {
  local answer path out
  for answer in "" "<eof>" $'maybe\nnope\nn' yes y o Yes YES; do
    rm -rf /opt/vyr /usr/share/cups/model/vyr /opt/vyr-keep
    for path in orvoInfo4.0 ORVOINST.CONF bin/qixgsfilter bin/nc bin/setup bin/extra etc/orvo4.0.png \
      etc/ORVOINST.CONF; do
      write_file "/opt/vyr/$path" "x"
    done
    ln -sfn /opt/vyr/bin/qixgsfilter /usr/bin/qixgsfilter  # the script leaves no dangling link behind
    write_file /usr/share/cups/model/vyr/ppd/a.ppd "ppd"
    write_file /usr/share/cups/model/vyr/keep.ppd "kept"
    write_file /opt/vyr-keep/file "kept"
    "$GENFILES" uninstall /opt/vyr /usr/share/cups/model/vyr 2>/dev/null
    assert_eq "$(stat -c %a /opt/vyr/etc/UNINSTALLORVO)" "755" "script mode"
    if [[ $answer == "<eof>" ]]; then
      out=$(sh /opt/vyr/etc/UNINSTALLORVO </dev/null)
    else
      out=$(printf '%s\n' "$answer" | sh /opt/vyr/etc/UNINSTALLORVO)
    fi
    case $answer in
      "") assert_eq "$out" $'De-installation of \'Orvo 4.0-0\'\nDo you really want to de-install Orvo 3.0? [no]? ' ;;
      maybe*)
        assert_eq "$(grep -c '^Answer with yes or no please.$' <<<"$out")" 2 "reminders"
        assert_eq "$(grep -c 'de-install Orvo 3.0' <<<"$out")" 3 "questions"
        ;;
    esac
    if [[ $answer == [yoY]* ]]; then
      assert_no_file /opt/vyr /usr/bin/qixgsfilter /usr/share/cups/model/vyr/ppd
    else
      for path in /opt/vyr/orvoInfo4.0 /opt/vyr/bin/qixgsfilter /opt/vyr/etc/UNINSTALLORVO /usr/bin/qixgsfilter \
        /usr/share/cups/model/vyr/ppd/a.ppd; do
        assert_file_exists "$path"
      done
    fi
    assert_file_exists /usr/share/cups/model/vyr/keep.ppd /opt/vyr-keep/file
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
