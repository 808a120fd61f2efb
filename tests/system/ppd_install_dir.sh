# The package's PPD install directory: chosen by CUPS version and PPD trees, made when missing, and on a
# CUPS before 1.3 linked into the CUPS model directory. The version comes from a fake cups-config (no
# server answers in the sandbox); the machine is described by setup -d, as in ppd_locations.sh.

# shellcheck source=ppd_locations.sh
source "$ORVO_SOURCE_DIR/tests/system/ppd_locations.sh"

MODEL=/usr/share/cups/model

case_old_cups_links_usr_share_ppd_into_model_dir() {
  ppd_trees "$MODEL" /usr/share/ppd
  describe_machine 1.2.0
  assert_log_order "CUPS Version : 1200 // 1.2.0" "No known links in cups model dir: $MODEL" \
    "PPD installation dir: /usr/share/ppd/vyr" "Created directory: '/usr/share/ppd/vyr'." \
    "Changing execution rights of '/usr/share/ppd/vyr' to  00755." "Link 1: $MODEL/vyr linked to /usr/share/ppd/vyr."
  assert_log_lacks "WRONG"
  assert_eq "$(readlink "$MODEL/vyr") $(stat -c %a /usr/share/ppd/vyr)" "/usr/share/ppd/vyr 755" "model dir link"
  # A vyr directory already in the model directory: nothing made, nothing linked.
  ppd_trees "$MODEL/vyr" /usr/share/ppd
  describe_machine 1.2.9
  assert_log_order "CUPS Version : 1290 // 1.2.9" "PPD installation dir: /usr/share/ppd/vyr"
  assert_log_lacks "Link 1:" "Created directory"
  # /opt/share/ppd/vyr is not made first, so there is nothing to link to.
  ppd_trees "$MODEL" /opt/share/ppd
  describe_machine 1.2.0
  assert_log_order "PPD installation dir: /opt/share/ppd/vyr" "No file: /opt/share/ppd/vyr" \
    "Link 1: $MODEL/vyr linked to /opt/share/ppd/vyr."$'\n'": WRONG!!!"
  assert_no_file /opt/share/ppd/vyr "$MODEL/vyr"
}

case_old_cups_follows_custom_links_up_to_eight() {
  ppd_trees "$MODEL/custom" /srv/ppd
  local i
  for i in 1 2 3 4 5 6 7 8 9; do ln -s /srv/ppd/vyr "$MODEL/custom$i"; done
  describe_machine 1.2.0
  for i in 1 2 3 4 5 6 7 8; do assert_log_contains "Link $i: $MODEL/custom"; done
  assert_log_lacks "Link 9:" "No known links"
  assert_log_order "Link 8: " "PPD installation dir: /srv/ppd/vyr"$'\n'"Created directory: '/srv/ppd/vyr'."
  # A target not ending in vyr gets it appended; a relative target stands for the link's own path.
  local target
  for target in /srv/ppd ../../../../srv/ppd; do
    rm -rf /srv/ppd && ppd_trees "$MODEL" /srv/ppd
    ln -s "$target" "$MODEL/custom"
    describe_machine 1.2.0
    assert_log_contains "PPD installation dir: $([[ $target == /* ]] && echo /srv/ppd/ || echo "$MODEL/custom/")vyr"$'\n'
  done
}

# From CUPS 1.3 on the choice is made, never linked; the distribution's openprinting tree comes first.
# The choice for /opt/share/ppd alone is /usr/opt/ppd/vyr, whose parent is missing: not made, not reported.
case_new_cups_makes_its_choice_without_linking() {
  ppd_trees "$MODEL" /usr/share/ppd/openprinting/HP /usr/share/ppd/cups-included
  describe_machine 2.4.2
  assert_log_order "CUPS Version : 2420 // 2.4.2" "PPD installation dir: /usr/share/ppd/openprinting/vyr" \
    "Created directory: '/usr/share/ppd/openprinting/vyr'."
  assert_log_lacks "Link 1:"
  ppd_trees "$MODEL" /opt/share/ppd
  describe_machine 2.4.2
  assert_log_contains "PPD installation dir: /usr/opt/ppd/vyr"
  assert_log_lacks "Created directory"
  assert_no_file /usr/opt "$MODEL/vyr"
}
