# Where the machine keeps PPD files: the block of the run log that describes the probed PPD trees, on
# machines arranged by removing and making those trees. Runs with -d, where no installation is found,
# so the run ends right after describing the machine. ppd_install_dir.sh shares the helpers at the top.

# setup -d on a CUPS whose cups-config answers VERSION, every tree the PPD probes look at gone but the
# directories named after VERSION, in order (PATH=TARGET: a link).
describe_machine() {
  fake_command /usr/bin/cups-config 0 "$1"
  rm -rf /usr/{share/{cups/model,ppd,foomatic},ppd,local/share/ppd,opt} /etc/cups/model /opt/{cups,share}
  local dir
  for dir in "${@:2}"; do
    if [[ $dir == *=* ]]; then ln -s "${dir#*=}" "${dir%%=*}"; else mkdir -p "$dir"; fi
  done
  run_setup -d
}

# The block as the log must hold it, one line per argument.
block() {
  printf '%s\n' "=======================================" "Sytem PPD locations:" "$@"
}

# Without a model directory nothing is chosen, linked or made; a link at /usr/share/ppd serves as one.
case_no_ppd_trees_then_share_ppd_link() {
  describe_machine 2.4.2
  assert_log_contains "$(block "CUPS model directory: ???" "Foomatic directory  : ???" \
    "Ostra directory     : ???" "Custom ppd directory: ???" "System ppd directory: ???")"
  assert_log_lacks "PPD installation dir" "Created directory"
  mkdir -p /srv/ppdtree/custom
  describe_machine 2.4.2 /usr/share/ppd=/srv/ppdtree
  assert_log_order "CUPS model directory: /usr/share/ppd" "PPD installation dir: /usr/share/ppd/custom/vyr"
  assert_file_exists /srv/ppdtree/custom/vyr
}

# An existing vyr directory is taken from the first candidate that has one, the foomatic ones coming
# after openprinting's; without one, the Ostra tree, the first choice, stands when it lies below /usr/share.
case_foomatic_trees_and_existing_vyr_directory() {
  local foomatic=/usr/share/foomatic/db/source/PPD
  describe_machine 2.4.2 /usr/share/cups/model /usr/share/ppd/openprinting/vyr "$foomatic"/{,Ostra/}vyr /opt/share/ppd
  assert_log_order "$(block "CUPS model directory: /usr/share/cups/model" "Foomatic directory  : $foomatic" \
    "Ostra directory     : $foomatic/vyr" "Custom ppd directory: ???" "Share ppd directory : /usr/share/ppd" \
    "Share ppd directory : /opt/share/ppd" "System ppd directory: /usr/share/ppd")" \
    "PPD installation dir: $foomatic/vyr" "Using previous Orvo PPD directory: \"$foomatic/vyr\"."
  describe_machine 2.4.2 /usr/share/{ppd/openprinting,cups/model/custom,ppd/cups-included}/vyr /opt/share/ppd/vyr
  assert_log_contains "Using previous Orvo PPD directory: \"/usr/share/ppd/openprinting/vyr\"."
  describe_machine 2.4.2 /usr/share/cups/model "$foomatic/Ostra" /usr/share/ppd
  assert_log_order "Ostra directory     : $foomatic/Ostra" "PPD installation dir: $foomatic/Ostra/vyr"
  assert_file_exists "$foomatic/Ostra/vyr"
}
