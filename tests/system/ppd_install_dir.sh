# The package's PPD install directory: chosen by CUPS version and PPD trees, made when missing, and on a
# CUPS before 1.3 linked into the CUPS model directory. The version comes from a fake cups-config (no
# server answers in the sandbox); the machine is described by setup -d, as in ppd_locations.sh.

# shellcheck source=ppd_locations.sh
source "$ORVO_SOURCE_DIR/tests/system/ppd_locations.sh"

MODEL=/usr/share/cups/model

# 1.2.9 is still an old CUPS: /usr/share/ppd/vyr is made and linked, unless the model directory has a vyr;
# /opt/share/ppd/vyr is not made first, so there is nothing to link to.
case_old_cups_links_usr_share_ppd_into_model_dir() {
  describe_machine 1.2.0 "$MODEL" /usr/share/ppd
  assert_log_order "PPD installation dir: /usr/share/ppd/vyr" "Created directory: '/usr/share/ppd/vyr'." \
    "Link 1: $MODEL/vyr linked to /usr/share/ppd/vyr."$'\n'
  assert_eq "$(readlink "$MODEL/vyr") $(stat -c %a /usr/share/ppd/vyr)" "/usr/share/ppd/vyr 755" "model dir link"
  describe_machine 1.2.9 "$MODEL/vyr" /usr/share/ppd
  assert_log_order "CUPS Version : 1290 // 1.2.9" "PPD installation dir: /usr/share/ppd/vyr"
  assert_log_lacks "Link 1:" "Created directory"
  describe_machine 1.2.0 "$MODEL" /opt/share/ppd
  assert_log_order "PPD installation dir: /opt/share/ppd/vyr" "Link 1: $MODEL/vyr linked to /opt/share/ppd/vyr."$'\n'": WRONG!!!"
  assert_no_file /opt/share/ppd/vyr "$MODEL/vyr"
}

# At most eight custom links are read; an absolute target is taken, a relative one stands for the link's
# own path, and a path not ending in vyr gets it appended.
case_old_cups_follows_custom_links_up_to_eight() {
  describe_machine 1.2.0 "$MODEL/custom" /srv/ppd "$MODEL"/custom{1..9}=/srv/ppd/vyr
  assert_eq "$(run_log | grep -c "^Link [0-9]*: $MODEL/custom")" 8 "links read"
  assert_log_contains "PPD installation dir: /srv/ppd/vyr"$'\n'"Created directory: '/srv/ppd/vyr'."
  describe_machine 1.2.0 "$MODEL" "$MODEL/custom=../../../../srv/ppd"
  assert_log_contains "PPD installation dir: $MODEL/custom/vyr"$'\n'
}

# From CUPS 1.3 (1.3.0 included) on the choice is made, never linked; the distribution's openprinting tree
# comes first. The choice for /opt/share/ppd alone is /usr/opt/ppd/vyr, whose parent is missing: not made,
# not reported.
case_new_cups_makes_its_choice_without_linking() {
  describe_machine 1.3.0 "$MODEL" /usr/share/ppd/openprinting/HP /usr/share/ppd/cups-included
  assert_log_order "CUPS Version : 1300 // 1.3.0" "PPD installation dir: /usr/share/ppd/openprinting/vyr" \
    "Created directory: '/usr/share/ppd/openprinting/vyr'."
  assert_log_lacks "Link 1:"
  describe_machine 2.4.2 "$MODEL" /opt/share/ppd
  assert_log_contains "PPD installation dir: /usr/opt/ppd/vyr"
  assert_log_lacks "Created directory"
  assert_no_file /usr/opt "$MODEL/vyr"
}
