# De-installation with -d: confirmation, the package's queues, their directories, the package files and
# directories. lpadmin and lpstat are fakes that record their arguments.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# The filter goes first, so its link in /usr/bin is dangling by row 4 and gone by row 10; a link inside
# the package's ppd directory goes as a link; a file that is not the package's stays.
case_successful_run_deletes_in_table_order() {
  fake_spooler
  install_package /opt/vyr q1
  write_file /opt/vyr/notes.txt "not the package's"
  write_file /usr/share/cups/model/q1 "model of q1"
  write_file /srv/ppdstore/keep.ppd "not the package's"
  ln -s /srv/ppdstore /opt/vyr/ppd/elsewhere
  deinstall y
  assert_eq "$(run_log | sed -n "s/^Deleting [a-z]*: '\\(.*\\)' - \\(.*\\)/\\1 \\2/p" | sed 's#^/opt/vyr##' | xargs)" \
    "/orvo OK. /orvoInfo4.0 OK. /bin/qixgsfilter OK. /usr/bin/qixgsfilter OK. /etc/UNINSTALLORVO OK. /bin/setup OK. /etc/orvo4.0.png OK. /ORVOINST.CONF OK. /etc/ORVOINST.CONF OK. /usr/bin/qixgsfilter Not possible! /bin/nc OK. /Default OK. /ppd OK. /etc OK. /bin OK." "deletions"
  assert_log_order "Number of Orvo printers found: 2." $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null' \
    "Deleting the Orvo printer: q1." "Deleting file: '/opt/vyr/orvo' - OK." "Orvo 4.0-0 has been un-installed from the system."
  assert_no_file /usr/bin/qixgsfilter /opt/vyr/q1 /opt/vyr/q1.sh
  assert_eq "$(ls -A /opt/vyr) $(cat /srv/ppdstore/keep.ppd)" "notes.txt not the package's" "what is left"
  assert_eq "$(cat /tmp/setup.err; echo .)" $'Orvo 4.0-0 has been un-installed from the system.\n\n.' "standard error"
  assert_eq "$(fake_calls lpadmin)|$(fake_calls lpstat)" "-xq1|" "spooler calls"
  # The queue's model file is kept as ".old".
  assert_eq "$(cat /usr/share/cups/model/q1.old)" "model of q1" "q1.old"
  assert_no_file /usr/share/cups/model/q1
}

# No information file, -u naming a directory that does not exist or holds no information file, an answer
# other than yes: nothing is deleted.
case_nothing_deleted_without_installation_or_yes() {
  fake_spooler
  deinstall y
  assert_eq "$(cat /tmp/setup.err; echo .)" $'No Orvo installation found.\n*** Sorry ***\n.' "standard error"
  assert_log_order "No Orvo installation found." "*** Sorry ***"
  install_package /opt/vyr q1
  install_package /srv/plain q2
  rm /srv/plain/orvoInfo4.0
  local dir
  for dir in /srv/absent /srv/plain; do
    deinstall y -u "$dir"
    assert_log_contains $'The installation directory:\n\t\''"$dir"$'\'\ndoes not exist or is not OK.'
    assert_log_lacks "Deleting"
  done
  assert_file_exists /srv/plain/orvo /srv/plain/bin/setup /srv/plain/q2.sh
  deinstall maybe
  assert_log_contains "Program abandoned by user."
  assert_log_lacks "Deleting"
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
  assert_file_exists /opt/vyr/orvo /opt/vyr/q1 /usr/bin/qixgsfilter
}

# Without CUPS no spooler command runs, and the queue directories and package files still go; -u names
# another installation, kept in every path as given. A queue lpadmin refuses is queried and removed once
# more, and the run goes on.
case_non_cups_and_other_installation() {
  fake_spooler
  install_package /opt/vyr q1
  install_package /srv/pkg qa qb
  QIXLPMODE=LPR deinstall y
  assert_eq "$(fake_calls lpadmin)$(fake_calls lpstat)" "" "spooler calls"
  assert_eq "$(run_log | grep -c "' - OK.")" 14 "files and directories deleted"
  assert_no_file /opt/vyr/q1 /opt/vyr/bin
  install_package /opt/vyr q1
  fake_spooler 1
  deinstall y -u /srv/pkg/
  assert_log_order $'Executing command:\n\t/usr/sbin/lpadmin -xqa 2>/dev/null' \
    $'Executing command:\n\t/usr/bin/lpstat -pqa -l > /dev/null' $'Executing command:\n\t/usr/sbin/lpadmin -xqa 2>/dev/null' \
    "Deleting the Orvo printer: qa." "Deleting the Orvo printer: qb." "Deleting file: '/srv/pkg//orvo' - OK."
  assert_eq "$(fake_calls lpadmin | xargs) / $(fake_calls lpstat | xargs)" "-xqa -xqa -xqb -xqb / -pqa -l -pqb -l" "spooler calls"
  assert_no_file /srv/pkg/qa /srv/pkg/qb.sh /srv/pkg/bin
  assert_file_exists /opt/vyr/q1 /opt/vyr/orvo
}

# Names that are no path component, or too long, are skipped; /dev/<queue> goes only when it is a
# regular file or a link, so neither /dev/null (queue "null") nor the block device /dev/sda is touched.
case_hostile_queue_names_reach_nothing() {
  fake_spooler
  local long etc_before name
  long=$(printf 'q%.0s' {1..100})
  install_package /opt/vyr ok1 sda null stale
  write_info_file /opt/vyr/orvoInfo4.0 "Orvo 4.0 Information File" /opt/vyr Default ok1 "../../etc" \
    "a;touch /tmp/pwned" sda "$long" "b;touch pwned2" ok2 null stale
  mkdir -p /opt/vyr/ok2 "/opt/vyr/b;touch pwned2"
  mknod /dev/sda b 8 0
  write_file /dev/stale "left by an old spooler"
  etc_before=$(ls -A /etc)
  deinstall y
  assert_eq "$(ls -A /etc)" "$etc_before" "/etc"
  assert_no_file /tmp/pwned /pwned2 /dev/stale
  [[ -b /dev/sda && -c /dev/null ]] || fail "/dev/sda or /dev/null is no longer a device"
  assert_eq "$(fake_calls lpadmin)" $'-xok1\n-xsda\n-xb;touch pwned2\n-xok2\n-xnull\n-xstale' "lpadmin calls"
  assert_log_contains $'\t/usr/sbin/lpadmin -x\'b;touch pwned2\' 2>/dev/null'
  for name in "../../etc" "a;touch /tmp/pwned" "$long"; do
    assert_log_contains "Skipping printer queue '$name': not a usable queue name."
  done
  assert_log_contains "Skipping '/dev/sda': not a regular file or symbolic link."
  for name in ok1 ok2 sda "b;touch pwned2"; do assert_no_file "/opt/vyr/$name"; done
}

# The information file lies in the 0777 installation directory: uid 65534 replaces it with one whose
# first name is too long and whose others hold NUL bytes, and puts a link in place of bin. An answer
# with a NUL byte is no yes.
case_information_file_planted_by_a_user() {
  fake_spooler
  install_package /opt/vyr keepq
  write_file /opt/marker "beside the installation"
  write_file /srv/victim/nc "not the package's"
  chmod 777 /opt/vyr
  setpriv --reuid 65534 --regid 65534 --clear-groups sh -c "rm /opt/vyr/orvoInfo4.0 &&
    mv /opt/vyr/bin /opt/vyr/bin.old && ln -s /srv/victim /opt/vyr/bin &&
    printf 'USRDIR /opt/vyr\n%%%%QIXBLOCK_PRINTERS_BEGIN\n%s\nkeepq\n..\\000x\n\\000\\000\n%%%%QIXBLOCK_PRINTERS_END\n' \
    $(printf 'L%.0s' {1..80}) >/opt/vyr/orvoInfo4.0"
  printf 'n\0yes\n' >/root/nul.in
  QIXLPMODE=CUPS timeout 60 "$SETUP" -d </root/nul.in >/tmp/setup.out 2>/tmp/setup.err || fail "setup ended with $?"
  assert_log_contains "Program abandoned by user."
  assert_file_exists /opt/vyr/orvo /opt/vyr/keepq

  deinstall y
  assert_eq "$(fake_calls lpadmin)" "-xkeepq" "lpadmin calls"
  assert_log_contains "Skipping printer queue '..\\000x': not a usable queue name."
  assert_log_contains "Skipping printer queue '\\000\\000': not a usable queue name."
  assert_no_file /opt/vyr/keepq /opt/vyr/bin
  assert_file_exists /opt/marker /opt/vyr /srv/victim/nc
}
