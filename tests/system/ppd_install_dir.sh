# The package's PPD install directory: chosen by CUPS version and PPD trees, made when missing, and on a
# CUPS before 1.3 linked into the CUPS model directory. The version comes from a fake cups-config (no
# server answers in the sandbox). Runs with -d, where no installation is found, so the run ends right
# after describing the machine.

MODEL=/usr/share/cups/model

# Every tree the PPD probes look at, gone; then an empty CUPS model directory.
clear_ppd_trees() {
  rm -rf /usr/share/cups/model /usr/share/ppd /etc/cups/model /opt/cups /usr/ppd /opt/share \
    /usr/local/share/ppd /usr/share/foomatic /usr/opt
  mkdir -p "$MODEL"
}

# Runs setup on a CUPS whose cups-config answers VERSION.
run_setup() {
  fake_command /usr/bin/cups-config 0 "$1"
  local status=0
  QIXLPMODE=CUPS "$SETUP" -d </dev/null >/tmp/setup.out 2>&1 || status=$?
  assert_eq "$status" 0 "exit status"
  assert_eq "$(fake_calls cups-config)" "--version" "cups-config calls"
}

case_old_cups_links_usr_share_ppd_into_model_dir() {
  clear_ppd_trees
  mkdir -p /usr/share/ppd
  run_setup 1.2.0
  assert_log_order "CUPS Version : 1200 // 1.2.0" \
    "No known links in cups model dir: $MODEL" \
    "PPD installation dir: /usr/share/ppd/vyr" \
    "Created directory: '/usr/share/ppd/vyr'." \
    "Changing execution rights of '/usr/share/ppd/vyr' to  00755." \
    "Link 1: $MODEL/vyr linked to /usr/share/ppd/vyr."
  assert_not_contains "$(run_log)" "WRONG"
  assert_eq "$(readlink "$MODEL/vyr")" /usr/share/ppd/vyr "model dir link"
  assert_eq "$(stat -c %a /usr/share/ppd/vyr)" 755 "mode of /usr/share/ppd/vyr"
}

case_old_cups_keeps_vyr_already_in_model_dir() {
  clear_ppd_trees
  mkdir -p /usr/share/ppd "$MODEL/vyr"
  run_setup 1.2.9
  assert_log_order "CUPS Version : 1290 // 1.2.9" "PPD installation dir: /usr/share/ppd/vyr"
  local log
  log=$(run_log)
  assert_not_contains "$log" "Link 1:"
  assert_not_contains "$log" "Created directory"
  assert_no_file /usr/share/ppd/vyr
}

case_old_cups_link_over_dangling_link_is_wrong() {
  clear_ppd_trees
  mkdir -p /usr/share/ppd
  ln -s /nowhere "$MODEL/vyr"
  run_setup 1.2.0
  # The dangling link counts as absent, and the new link cannot be made over it.
  assert_log_order "Created directory: '/usr/share/ppd/vyr'." \
    "Link 1: $MODEL/vyr linked to /usr/share/ppd/vyr."$'\n'": WRONG!!!"
  assert_eq "$(readlink "$MODEL/vyr")" /nowhere "model dir link"
}

case_old_cups_opt_share_target_missing_is_wrong() {
  clear_ppd_trees
  mkdir -p /opt/share/ppd
  run_setup 1.2.0
  # /opt/share/ppd/vyr is not made first, so there is nothing to link to.
  assert_log_order "PPD installation dir: /opt/share/ppd/vyr" "No file: /opt/share/ppd/vyr" \
    "Link 1: $MODEL/vyr linked to /opt/share/ppd/vyr."$'\n'": WRONG!!!"
  assert_no_file /opt/share/ppd/vyr
  assert_no_file "$MODEL/vyr"
}

case_old_cups_follows_custom_links_up_to_eight() {
  clear_ppd_trees
  mkdir -p "$MODEL/custom" /srv/ppd
  local i
  for i in 1 2 3 4 5 6 7 8 9; do ln -s /srv/ppd/vyr "$MODEL/custom$i"; done
  run_setup 1.2.0
  local log
  log=$(run_log)
  for i in 1 2 3 4 5 6 7 8; do assert_contains "$log" "Link $i: $MODEL/custom"; done
  assert_not_contains "$log" "Link 9:"
  assert_not_contains "$log" "No known links"
  # The target already ends in vyr: no second vyr.
  assert_log_order "Link 8: " "PPD installation dir: /srv/ppd/vyr"$'\n'"Created directory: '/srv/ppd/vyr'."
  [[ -d /srv/ppd/vyr ]] || fail "/srv/ppd/vyr was not made"
}

case_new_cups_distribution_layout_with_openprinting() {
  clear_ppd_trees
  mkdir -p /usr/share/ppd/openprinting/HP /usr/share/ppd/openprinting/Epson /usr/share/ppd/cups-included
  run_setup 2.4.2
  assert_log_order "CUPS Version : 2420 // 2.4.2" \
    "PPD installation dir: /usr/share/ppd/openprinting/vyr" \
    "Created directory: '/usr/share/ppd/openprinting/vyr'."
  assert_not_contains "$(run_log)" "Link 1:"
  assert_no_file "$MODEL/vyr"
}

case_new_cups_usr_share_ppd_alone() {
  clear_ppd_trees
  mkdir -p /usr/share/ppd
  run_setup 2.0.1
  assert_log_order "CUPS Version : 2010 // 2.0.1" "PPD installation dir: /usr/share/ppd/vyr" \
    "Created directory: '/usr/share/ppd/vyr'."
  [[ -d /usr/share/ppd/vyr ]] || fail "/usr/share/ppd/vyr was not made"
}

case_new_cups_opt_share_alone_cannot_make_its_choice() {
  clear_ppd_trees
  mkdir -p /opt/share/ppd
  run_setup 2.4.2
  # The choice for /opt/share/ppd alone is /usr/opt/ppd/vyr, whose parent is missing: it is not made,
  # and not reported as made.
  assert_log_contains "PPD installation dir: /usr/opt/ppd/vyr"
  assert_not_contains "$(run_log)" "Created directory"
  assert_no_file /usr/opt
}
