# The un-installation script as the system runs it, and the probe for an earlier installation in
# /opt/vyr. The writers run through the genfiles tool.

GENFILES=$ORVO_BUILD_DIR/genfiles

# Run as the system runs it, the script deletes exactly what it lists on yes, y, o or Yes, and nothing on
# an empty reply, at the end of input or on no; any other reply reminds and asks again. The installation
# directory's name holds shell characters, which the script must quote.
case_uninstall_script_deletes_only_on_yes() {
  # The installation directory's name is a pattern that matches another directory: only the name itself goes.
  local answer out check d='/opt/v[x];rm'
  write_file '/opt/vx;rm/bin/nc' "not the package's"
  for answer in $'\n' "" $'maybe\nn\n' $'y\n' $'o\n' $'Yes\n'; do
    rm -rf "$d" /usr/share/cups/model/vyr
    mkdir -p "$d/bin" "$d/etc"
    touch "$d"/{orvoInfo4.0,ORVOINST.CONF,bin/{qixgsfilter,nc,setup,extra},etc/{orvo4.0.png,ORVOINST.CONF}}
    ln -sfn "$d/bin/qixgsfilter" /usr/bin/qixgsfilter  # the script leaves no dangling link behind
    write_file /usr/share/cups/model/vyr/ppd/a.ppd "ppd"
    write_file /usr/share/cups/model/vyr/keep.ppd "kept"
    assert_eq "$("$GENFILES" uninstall "$d" /usr/share/cups/model/vyr 2>&1)" "Created script: $d/etc/UNINSTALLORVO." "log"
    out=$(printf '%s' "$answer" | "$d/etc/UNINSTALLORVO")
    [[ $answer != $'\n' ]] || assert_eq "$out" $'De-installation of \'Orvo 4.0-0\'\nDo you really want to de-install Orvo 3.0? [no]? '
    [[ $answer != maybe* ]] || assert_eq "$(grep -c '^Answer with yes or no please.$' <<<"$out")" 1 "reminders"
    check=assert_file_exists
    [[ $answer != [yoY]* ]] || check=assert_no_file
    $check "$d" "$d/orvoInfo4.0" "$d/bin/nc" "$d/etc/UNINSTALLORVO" /usr/bin/qixgsfilter /usr/share/cups/model/vyr/ppd
    assert_file_exists /usr/share/cups/model/vyr/keep.ppd '/opt/vx;rm/bin/nc'
  done
}

# The older generation's file is probed first, the newer one when the older lacks the key.
case_older_information_file_wins() {
  write_file /opt/vyr/orvoInfo2.0 $'USRDIR          /srv/old\n'
  write_file /opt/vyr/orvoInfo4.0 $'USRDIR          /srv/new\n'
  assert_eq "$("$GENFILES" find)" "1 1 /srv/old" "both files"
  write_file /opt/vyr/orvoInfo2.0 $'# no key here\n'
  assert_eq "$("$GENFILES" find)" "1 2 /srv/new" "older file without the key"
}
