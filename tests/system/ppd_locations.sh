# Where the machine keeps PPD files: the block of the run log that describes the probed PPD trees, on
# machines arranged by removing and making those trees. Runs with -d, where no installation is found,
# so the run ends right after describing the machine.

# Every tree the PPD probes look at, gone.
clear_ppd_trees() {
  rm -rf /usr/share/cups/model /usr/share/ppd /etc/cups/model /opt/cups /usr/ppd /opt/share \
    /usr/local/share/ppd /usr/share/foomatic /usr/opt
}

run_setup() {
  fake_command /usr/bin/cups-config 0 "2.4.2"
  local status=0
  QIXLPMODE=CUPS "$SETUP" -d </dev/null >/tmp/setup.out 2>&1 || status=$?
  assert_eq "$status" 0 "exit status"
}

# The block as the log must hold it, one line per argument.
block() {
  printf '%s\n' "=======================================" "Sytem PPD locations:" "$@"
}

case_machine_without_ppd_trees() {
  clear_ppd_trees
  run_setup
  assert_log_contains "$(block "CUPS model directory: ???" "Foomatic directory  : ???" \
    "Ostra directory     : ???" "Custom ppd directory: ???" "System ppd directory: ???")"
  local log
  log=$(run_log)
  assert_not_contains "$log" "Share ppd directory"
  assert_not_contains "$log" "Found existing Orvo PPD dir"
  # Without a model directory nothing is chosen, linked or made.
  assert_not_contains "$log" "PPD installation dir"
  assert_not_contains "$log" "No known links"
  assert_not_contains "$log" "Created directory"
}

case_share_ppd_link_serves_as_model_dir() {
  clear_ppd_trees
  mkdir -p /srv/ppdtree/custom
  ln -s /srv/ppdtree /usr/share/ppd
  run_setup
  assert_log_order "$(block "CUPS model directory: /usr/share/ppd" "Foomatic directory  : ???" \
    "Ostra directory     : ???" "Custom ppd directory: /usr/share/ppd/custom" \
    "Share ppd directory : /usr/share/ppd" "System ppd directory: /usr/share/ppd")" \
    "No known links in cups model dir: /usr/share/ppd" \
    "PPD installation dir: /usr/share/ppd/custom/vyr"
  assert_not_contains "$(run_log)" "Found existing Orvo PPD dir"
  [[ -d /srv/ppdtree/custom/vyr ]] || fail "the custom vyr directory was not made"
}

case_foomatic_vyr_wins_over_openprinting() {
  clear_ppd_trees
  mkdir -p /usr/share/cups/model /usr/share/ppd/openprinting/vyr /usr/share/foomatic/db/source/PPD/vyr \
    /usr/share/foomatic/db/source/PPD/Ostra/vyr /opt/share/ppd
  run_setup
  local found=/usr/share/foomatic/db/source/PPD/vyr
  assert_log_order "$(block "CUPS model directory: /usr/share/cups/model" \
    "Foomatic directory  : /usr/share/foomatic/db/source/PPD" "Ostra directory     : $found" \
    "Custom ppd directory: ???" "Share ppd directory : /usr/share/ppd" \
    "Share ppd directory : /opt/share/ppd" "System ppd directory: /usr/share/ppd" \
    "Found existing Orvo PPD dir: \"$found\".")" \
    "PPD installation dir: $found" "Using previous Orvo PPD directory: \"$found\"."
}

case_openprinting_find_stops_later_candidates() {
  clear_ppd_trees
  # Later candidates that would be found were nothing found before them.
  mkdir -p /usr/share/cups/model/custom/vyr /usr/share/ppd/openprinting/vyr \
    /usr/share/foomatic/db/source/PPD/Ostra /opt/share/ppd/vyr /usr/share/ppd/cups-included/vyr
  run_setup
  assert_log_contains "$(block "CUPS model directory: /usr/share/cups/model" \
    "Foomatic directory  : /usr/share/foomatic/db/source/PPD" \
    "Ostra directory     : /usr/share/foomatic/db/source/PPD/Ostra" \
    "Custom ppd directory: /usr/share/cups/model/custom" "Share ppd directory : /usr/share/ppd" \
    "Share ppd directory : /opt/share/ppd" "System ppd directory: /usr/share/ppd" \
    "Found existing Orvo PPD dir: \"/usr/share/ppd/openprinting/vyr\".")"
  assert_log_contains "Using previous Orvo PPD directory: \"/usr/share/ppd/openprinting/vyr\"."
}

case_foomatic_ostra_tree_gives_first_choice() {
  clear_ppd_trees
  # /usr/share/ppd alone leaves the first choice standing when it lies below /usr/share.
  mkdir -p /usr/share/cups/model /usr/share/foomatic/db/source/PPD/Ostra /usr/share/ppd
  run_setup
  local ostra=/usr/share/foomatic/db/source/PPD/Ostra
  assert_log_order "$(block "CUPS model directory: /usr/share/cups/model" \
    "Foomatic directory  : /usr/share/foomatic/db/source/PPD" "Ostra directory     : $ostra" \
    "Custom ppd directory: ???" "Share ppd directory : /usr/share/ppd" \
    "System ppd directory: /usr/share/ppd")" \
    "No known links in cups model dir: /usr/share/cups/model" \
    "PPD installation dir: $ostra/vyr" "Created directory: '$ostra/vyr'."
  [[ -d $ostra/vyr ]] || fail "$ostra/vyr was not made"
}
