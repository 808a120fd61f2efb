# A new installation from the unpacked sample package against the real scheduler: every queue on one of
# the package's older PPDs (marker 1.x) moves to the package's new PPD for its model and PDL, keeping the
# defaults the administrator chose; every other queue stays exactly as it was.

# The log lines of one queue's refresh, temporary names made constant.
refresh_section() {
  awk -v start="Printer = $1 with PPD=" '
    index($0, start) == 1 { inside = 1 }
    inside && (/^=====/ || /^CUPS re/) { exit }
    inside { print }' "$RUN_LOG" | sed 's#/tmp/qixot[A-Za-z0-9]*#/tmp/qixotXXXXXX#g'
}

# Four queues on old package PPDs with defaults of their own; beside them, queues that are not the
# package's to refresh: no marker, a later or the current marker, a model outside the table.
case_new_installation_refreshes_every_old_queue() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi
  make_old_queue studio 91 ps 1.5 ColorModel=Gray PageSize=Legal
  make_old_queue annex 151 pxl 1.0 Resolution=300dpi Duplex=DuplexNoTumble
  old_ppd "$OLD_PPD_DIR/bay.ppd" 211 pcl 1.2 --sizes Letter,A4,B5
  add_queue bay "$OLD_PPD_DIR/bay.ppd"
  set_queue_defaults bay PageSize=B5 Duplex=DuplexTumble
  write_file /opt/vyr/office/root/orvoConfig $'# queue office\n%%ORVO_VERSION_1.0 (Orvo 1.0)\nTRAY 2\n'
  make_old_queue plain 2 pcl none PageSize=A4
  make_old_queue later 2 pcl 2.0 PageSize=A4
  make_old_queue current 91 ps 4.0 Duplex=DuplexTumble
  "$ORVO_BUILD_DIR/ppdgen" --model "Acme Laser 9" --pdl pcl --version 1.0 -o "$OLD_PPD_DIR/stranger.ppd"
  add_queue stranger "$OLD_PPD_DIR/stranger.ppd"
  set_queue_defaults stranger Resolution=300dpi
  install_from_package
  assert_eq "$(grep -v '^System has not been booted with systemd' /tmp/setup.err || true)" "" "standard error"
  assert_queue_refreshed office PageSize=A4 Duplex=DuplexTumble Resolution=1200dpi ColorModel=CMYK
  assert_queue_refreshed studio ColorModel=Gray PageSize=Legal Resolution=600dpi
  assert_queue_refreshed annex Resolution=300dpi Duplex=DuplexNoTumble PageSize=Letter
  assert_queue_refreshed bay PageSize=Letter Duplex=DuplexTumble
  local queue
  for queue in plain later current stranger; do
    assert_queue_untouched "$queue"
    assert_log_lacks "Printer : $queue."
  done
  assert_eq "$(queue_default stranger Resolution)" 300dpi "default Resolution of stranger"
  assert_eq "$(lpstat -p | grep -c '^printer .* is idle.  enabled since')" 8 "enabled queues"
  assert_eq "$(cat /opt/vyr/office/root/orvoConfig)" $'# queue office\n%%ORVO_VERSION_3.0\nTRAY 2' "orvoConfig"
  assert_eq "$(ls -A /opt/vyr/office/root)" "orvoConfig" "files beside orvoConfig"

  assert_log_order "New installation" "List of Ostra Printers installed: 4." "List of Ostra PPD files to install: 4."
  assert_contains "$(refresh_section office)" "PPD = /usr/share/ppd/vyr/orvo002-pcl.ppd.gz."
  assert_contains "$(refresh_section office)" "processPrinterConfig(office): updated."
  for queue in studio annex bay; do
    assert_contains "$(refresh_section "$queue")" "Copying /tmp/qixotXXXXXX to /etc/cups/ppd/$queue.ppd: result=0"
    assert_log_lacks "processPrinterConfig($queue)"
  done
  assert_contains "$(refresh_section studio)" "PPD = /usr/share/ppd/vyr/orvo091-ps.ppd.gz."
  assert_contains "$(refresh_section annex)" "PPD = /usr/share/ppd/vyr/orvo151-pxl.ppd.gz."
  assert_contains "$(refresh_section bay)" "processNewPPD: Keeping new default *PageSize/Letter: B5 not offered."
  assert_cups_restarts 2
  assert_eq "$(fake_calls systemctl)" $'restart cups.service\nrestart cups.service' "systemctl calls"
}

case_model_without_new_ppd_keeps_its_ppd() {
  start_cupsd
  container_service_manager
  make_old_queue lonely 151 pxl 1.0 PageSize=A4 Duplex=DuplexTumble
  make_old_queue office 2 pcl 1.0 PageSize=Legal
  write_file /opt/vyr/lonely/root/orvoConfig $'%%ORVO_VERSION_1.0\n'
  # A package without this model's PXL PPD.
  unpack_package
  rm "$PACKAGE_DIR/ppd/orvo151-pxl.ppd.gz"
  install_from_package
  # The PPD stays byte for byte; its backup is still made and its configuration still updated.
  cmp -s /etc/cups/ppd/lonely.ppd "$PPDS_BEFORE/lonely.ppd" || fail "the PPD of lonely changed"
  cmp -s /etc/cups/lonely.ppd.rpmsave "$PPDS_BEFORE/lonely.ppd" || fail "no backup of lonely's PPD"
  assert_eq "$(cat /opt/vyr/lonely/root/orvoConfig)" "%%ORVO_VERSION_3.0" "orvoConfig"
  assert_contains "$(queue_state lonely)" "printer lonely is idle.  enabled since"
  assert_eq "$(queue_default lonely PageSize) $(queue_default lonely Duplex)" "A4 DuplexTumble" "defaults of lonely"
  assert_queue_refreshed office PageSize=Legal

  assert_log_order "List of Ostra PPD files to install: 2." "Printer : lonely."
  assert_contains "$(refresh_section lonely)" $'PPD NOT FOUND!\nCopying  to /etc/cups/ppd/lonely.ppd: result=256'
  assert_cups_restarts 2
}

# Queue names come from file names in the CUPS PPD directory, and no name reaches the shell unquoted.
case_ppd_file_names_with_shell_syntax_run_nothing() {
  start_cupsd
  container_service_manager
  make_old_queue office 2 pcl 1.0 PageSize=A4
  # shellcheck disable=SC2016  # the names are meant literally
  local name names=('a;touch x' 'b$(touch y)' 'c`touch z`' "d'touch w'")
  for name in "${names[@]}"; do old_ppd "/etc/cups/ppd/$name.ppd" 2 pcl 1.0; done
  install_from_package
  assert_eq "$(find / -maxdepth 1 -newer "$PPDS_BEFORE" \( -name 'x*' -o -name 'y*' -o -name 'z*' \))" "" "files in /"
  assert_eq "$(find /tmp /opt/vyr /etc/cups /root /var/spool/cups -newer "$PPDS_BEFORE" \
    \( -name 'x*' -o -name 'y*' -o -name 'z*' \))" "" "files made by the names"
  assert_queue_refreshed office PageSize=A4
  assert_log_contains "List of Ostra Printers installed: 5."
  for name in "${names[@]}"; do
    grep -qxF '*% Orvo version: 4.0' "/etc/cups/ppd/$name.ppd" || fail "/etc/cups/ppd/$name.ppd not refreshed"
    cmp -s "/etc/cups/$name.ppd.rpmsave" "$PPDS_BEFORE/$name.ppd" || fail "no backup of /etc/cups/ppd/$name.ppd"
    assert_log_contains " to /etc/cups/ppd/$name.ppd: result=0"
  done
  assert_cups_restarts 2
}

# The option defaults lpoptions marks for a queue, one "Option=choice" a line.
option_defaults() {
  lpoptions -p "$1" -l | awk -F': ' '{ split($1, key, "/"); n = split($2, c, " ")
    for (i = 1; i <= n; i++) if (c[i] ~ /^\*/) print key[1] "=" substr(c[i], 2) }'
}

# Side by side with the scheduler: two queues from the same old PPD and defaults; setup refreshes s_NAME,
# the scheduler moves m_NAME onto the same new PPD (lpadmin -m). Every default the scheduler keeps, setup
# keeps, except one that conflicts under the new PPD's constraints; the table of both goes to standard output.
case_refresh_keeps_every_default_the_scheduler_keeps() {
  start_cupsd
  container_service_manager
  unpack_package
  local fixtures=$ORVO_SOURCE_DIR/tests/fixtures
  gzip -c "$fixtures/new_odd_options.ppd" >"$PACKAGE_DIR/ppd/orvo002-pcl.ppd.gz"
  mkdir -p /usr/share/ppd/side
  # name | old PPD: a fixture, or old_ppd arguments (row, PDL, marker, sizes) | new PPD | queue defaults
  local pairs=(
    "odd1|old_odd_options.ppd|orvo002-pcl|JCLEconomode=On PageSize=Custom.200x300 XXOption_Duplexer=True
      MediaType=4x6.Photo XXDarkness=Custom.7 XXGloss=Custom.3 XXHoles=4"
    "odd2|old_odd_options.ppd|orvo002-pcl|PageSize=w288h432 XXDarkness=Dark XXGloss=High XXOption_Tray3=True"
    "odd3|old_odd_options.ppd|orvo002-pcl|PageSize=195x270mm MediaType=Labels"
    "odd4|old_odd_options.ppd|orvo002-pcl|PageSize=B-Oficio"
    "ps|91 ps 1.0|orvo091-ps|JCLEconomode=On ColorModel=Gray PageSize=A4 InputSlot=Tray2 Resolution=1200dpi"
    "pxl|151 pxl 1.0 --sizes Letter,A4,B5|orvo151-pxl|PageSize=B5 Duplex=DuplexTumble MediaType=Labels"
  )
  local row name old new defaults queue pair
  for row in "${pairs[@]}"; do
    IFS='|' read -r name old new defaults <<<"${row//$'\n'/ }"
    # shellcheck disable=SC2086  # the row, PDL and sizes are words of their own
    if [[ $old == *.ppd ]]; then cp "$fixtures/$old" "/tmp/$name.ppd"; else old_ppd "/tmp/$name.ppd" $old; fi
    for queue in "s_$name" "m_$name"; do
      add_queue "$queue" "/tmp/$name.ppd"
      # shellcheck disable=SC2086
      set_queue_defaults "$queue" $defaults
    done
    option_defaults "s_$name" >"/tmp/$name.before"
    cp "$PACKAGE_DIR/ppd/$new.ppd.gz" /usr/share/ppd/side/
    lpadmin -p "m_$name" -m "$(lpinfo -m | awk -v m="/side/$new.ppd.gz" 'index($1, m) { print $1 }')" 2>/dev/null
  done
  install_from_package
  for row in "${pairs[@]}"; do
    IFS='|' read -r name old new defaults <<<"${row//$'\n'/ }"
    option_defaults "s_$name" >"/tmp/$name.setup"
    option_defaults "m_$name" >"/tmp/$name.lpadmin"
    while read -r pair; do
      local by_setup=no by_lpadmin=no
      grep -qxF "$pair" "/tmp/$name.setup" && by_setup=kept
      [[ $(refresh_section "s_$name") != *"new default *${pair%%=*}/"*"conflicts with other defaults."* ]] ||
        by_setup=conflict
      grep -qxF "$pair" "/tmp/$name.lpadmin" && by_lpadmin=kept
      printf '%-5s %-28s setup: %-4s lpadmin -m: %s\n' "$name" "$pair" "$by_setup" "$by_lpadmin"
      [[ $by_lpadmin == no || $by_setup != no ]] || fail "setup lost $pair of $name, which lpadmin -m keeps"
    done <"/tmp/$name.before"
    for pair in $defaults; do
      ! grep -qxF "*Default${pair/=/: }" "/etc/cups/ppd/m_$name.ppd" ||
        grep -qxF "*Default${pair/=/: }" "/etc/cups/ppd/s_$name.ppd" || fail "setup lost $pair of $name"
    done
    # Where the new PPD passes, setup's PPD fails on nothing the scheduler's passes: cupstestppd
    # rejects every custom default, even the one lpadmin -o itself wrote into the queue's old PPD.
    ! cupstestppd -q -I filters "$PACKAGE_DIR/ppd/$new.ppd.gz" || assert_eq "$(comm -23 \
      <(cupstestppd -I filters "/etc/cups/ppd/s_$name.ppd" | grep "\*\*FAIL" | sort) \
      <(cupstestppd -I filters "/etc/cups/ppd/m_$name.ppd" | grep "\*\*FAIL" | sort))" "" "cupstestppd on s_$name"
  done
}
