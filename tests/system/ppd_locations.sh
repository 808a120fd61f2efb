# Where the machine keeps PPD files: the block of the run log that describes the probed PPD trees, on
# machines arranged by removing and making those trees. Runs with -d, where no installation is found,
# so the run ends right after describing the machine. ppd_install_dir.sh shares the helpers at the top.

# Every tree the PPD probes look at gone, then the directories named made.
ppd_trees() {
  rm -rf /usr/share/cups/model /usr/share/ppd /etc/cups/model /opt/cups /usr/ppd /opt/share /usr/local/share/ppd /usr/share/foomatic /usr/opt
  (($# == 0)) || mkdir -p "$@"
}

# setup -d on a CUPS whose cups-config answers VERSION.
describe_machine() {
  fake_command /usr/bin/cups-config 0 "$1"
  run_setup -d
}

# The block as the log must hold it, one line per argument.
block() {
  printf '%s\n' "=======================================" "Sytem PPD locations:" "$@"
}

# Without a model directory nothing is chosen, linked or made; a link at /usr/share/ppd serves as one.
case_no_ppd_trees_then_share_ppd_link() {
  ppd_trees
  describe_machine 2.4.2
  assert_log_contains "$(block "CUPS model directory: ???" "Foomatic directory  : ???" \
    "Ostra directory     : ???" "Custom ppd directory: ???" "System ppd directory: ???")"
  assert_log_lacks "Share ppd directory" "Found existing Orvo PPD dir" "PPD installation dir" "No known links" "Created directory"
  mkdir -p /srv/ppdtree/custom
  ln -s /srv/ppdtree /usr/share/ppd
  describe_machine 2.4.2
  assert_log_order "$(block "CUPS model directory: /usr/share/ppd" "Foomatic directory  : ???" \
    "Ostra directory     : ???" "Custom ppd directory: /usr/share/ppd/custom" \
    "Share ppd directory : /usr/share/ppd" "System ppd directory: /usr/share/ppd")" \
    "No known links in cups model dir: /usr/share/ppd" "PPD installation dir: /usr/share/ppd/custom/vyr"
  assert_log_lacks "Found existing Orvo PPD dir"
  [[ -d /srv/ppdtree/custom/vyr ]] || fail "the custom vyr directory was not made"
}

# An existing vyr directory is taken from the first candidate that has one; without one, the Ostra tree.
case_foomatic_trees_and_existing_vyr_directory() {
  local foomatic=/usr/share/foomatic/db/source/PPD
  ppd_trees /usr/share/cups/model /usr/share/ppd/openprinting/vyr "$foomatic/vyr" "$foomatic/Ostra/vyr" /opt/share/ppd
  describe_machine 2.4.2
  assert_log_order "$(block "CUPS model directory: /usr/share/cups/model" "Foomatic directory  : $foomatic" \
    "Ostra directory     : $foomatic/vyr" "Custom ppd directory: ???" "Share ppd directory : /usr/share/ppd" \
    "Share ppd directory : /opt/share/ppd" "System ppd directory: /usr/share/ppd" \
    "Found existing Orvo PPD dir: \"$foomatic/vyr\".")" \
    "PPD installation dir: $foomatic/vyr" "Using previous Orvo PPD directory: \"$foomatic/vyr\"."

  # Found under openprinting, later candidates that have one are not looked at.
  ppd_trees /usr/share/cups/model/custom/vyr /usr/share/ppd/openprinting/vyr "$foomatic/Ostra" /opt/share/ppd/vyr /usr/share/ppd/cups-included/vyr
  describe_machine 2.4.2
  assert_log_order "Ostra directory     : $foomatic/Ostra"$'\n'"Custom ppd directory: /usr/share/cups/model/custom" \
    "Found existing Orvo PPD dir: \"/usr/share/ppd/openprinting/vyr\"." \
    "Using previous Orvo PPD directory: \"/usr/share/ppd/openprinting/vyr\"."

  # None: /usr/share/ppd alone leaves the Ostra tree, the first choice, standing when it lies below /usr/share.
  ppd_trees /usr/share/cups/model "$foomatic/Ostra" /usr/share/ppd
  describe_machine 2.4.2
  assert_log_order "$(block "CUPS model directory: /usr/share/cups/model" "Foomatic directory  : $foomatic" \
    "Ostra directory     : $foomatic/Ostra" "Custom ppd directory: ???" "Share ppd directory : /usr/share/ppd" \
    "System ppd directory: /usr/share/ppd")" "No known links in cups model dir: /usr/share/cups/model" \
    "PPD installation dir: $foomatic/Ostra/vyr" "Created directory: '$foomatic/Ostra/vyr'."
  [[ -d $foomatic/Ostra/vyr ]] || fail "$foomatic/Ostra/vyr was not made"
}
