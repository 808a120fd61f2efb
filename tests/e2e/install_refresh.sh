# Against the real scheduler, beside lpadmin -m: every queue on one of the package's older PPDs moves to the
# package's new PPD, keeping the defaults the administrator chose.

# The run log's lines of one queue's refresh.
refresh_section() {
  awk -v start="Printer = $1 with PPD=" 'index($0, start) == 1 { inside = 1 } inside && /^=====/ { exit } inside' "$RUN_LOG"
}

# The option defaults lpoptions marks for a queue, one "Option=choice" a line.
option_defaults() {
  lpoptions -p "$1" -l | awk -F': ' '{ split($1, key, "/"); n = split($2, c, " ")
    for (i = 1; i <= n; i++) if (c[i] ~ /^\*/) print key[1] "=" substr(c[i], 2) }'
}

# Side by side with the scheduler: two queues from the same old PPD and defaults; setup refreshes s_NAME,
# the scheduler moves m_NAME onto the same new PPD (lpadmin -m). Every default the scheduler keeps, setup
# keeps, except one that conflicts under the new PPD's constraints.
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
    # What lpadmin -m keeps and setup does not: only a default in conflict under the new PPD.
    while read -r pair; do
      grep -qxF "$pair" "/tmp/$name.setup" || ! grep -qxF "$pair" "/tmp/$name.lpadmin" ||
        [[ $(refresh_section "s_$name") == *"new default *${pair%%=*}/"*"conflicts with other defaults."* ]] ||
        fail "setup lost $pair of $name, which lpadmin -m keeps"
    done <"/tmp/$name.before"
    # Custom values show in the PPDs only (lpoptions names them Custom.WIDTHxHEIGHT).
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
