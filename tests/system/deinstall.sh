# De-installation with -d: confirmation, the package's queues, their directories, the package files
# and directories. lpadmin and lpstat are fakes that record their arguments. e2e/deinstall_cups.sh shares
# the helpers at the top.

# An installed package in DIR: every file and directory of the removal tables, the filter linked into
# /usr/bin, for each queue NAME its directory and start script, and the information file listing them
# after "Default".
install_package() {
  local dir=$1 name file
  shift
  for file in orvo bin/qixgsfilter etc/UNINSTALLORVO bin/setup etc/orvo4.0.png ORVOINST.CONF \
    etc/ORVOINST.CONF bin/nc Default/root/orvoConfig ppd/vyr/model.ppd; do
    write_file "$dir/$file" "package file"
  done
  ln -sfn "$dir/bin/qixgsfilter" /usr/bin/qixgsfilter
  for name in "$@"; do
    write_file "$dir/$name/root/orvoConfig" "queue config"
    write_file "$dir/$name.sh" "#!/bin/sh" 755
  done
  write_info_file "$dir/orvoInfo4.0" "Orvo 4.0 Information File" "$dir" Default "$@"
}

# lpadmin exits with STATUS (default 0).
fake_spooler() {
  fake_command /usr/sbin/lpadmin "${1:-0}"
  fake_command /usr/bin/lpstat 0
}

# setup -d with ANSWER on standard input and the remaining arguments.
deinstall() {
  local answer=$1
  shift
  ask_setup "$answer"$'\n' -d "$@"
}

count_log() {
  run_log | grep -c -- "$1" || true
}

case_successful_run_deletes_in_table_order() {
  fake_spooler
  install_package /opt/vyr q1
  write_file /opt/vyr/notes.txt "not the package's"
  write_file /usr/share/cups/model/q1 "model of q1"
  deinstall y

  assert_eq "$(count_log "Deleting file: ")" 11 "Deleting file lines"
  assert_eq "$(count_log "Deleting directory: ")" 4 "Deleting directory lines"
  # The filter goes first, so its link in /usr/bin is dangling by row 4 and gone by row 10.
  assert_log_order "Number of Orvo printers found: 2." "Deleting the Orvo printer: q1." \
    "Deleting file: '/opt/vyr/orvo' - OK." "Deleting file: '/opt/vyr/orvoInfo4.0' - OK." \
    "Deleting file: '/opt/vyr/bin/qixgsfilter' - OK." "Deleting file: '/usr/bin/qixgsfilter' - OK." \
    "Deleting file: '/opt/vyr/etc/UNINSTALLORVO' - OK." "Deleting file: '/opt/vyr/bin/setup' - OK." \
    "Deleting file: '/opt/vyr/etc/orvo4.0.png' - OK." "Deleting file: '/opt/vyr/ORVOINST.CONF' - OK." \
    "Deleting file: '/opt/vyr/etc/ORVOINST.CONF' - OK." "Deleting file: '/usr/bin/qixgsfilter' - Not possible!" \
    "Deleting file: '/opt/vyr/bin/nc' - OK." "Deleting directory: '/opt/vyr/Default' - OK." \
    "Deleting directory: '/opt/vyr/ppd' - OK." "Deleting directory: '/opt/vyr/etc' - OK." \
    "Deleting directory: '/opt/vyr/bin' - OK." "Orvo 4.0-0 has been un-installed from the system."
  assert_no_file /usr/bin/qixgsfilter
  assert_eq "$(ls -A /opt/vyr)" "notes.txt" "what is left in /opt/vyr"
  assert_eq "$(cat /tmp/setup.err; echo .)" $'Orvo 4.0-0 has been un-installed from the system.\n\n.' "standard error"
  # The queue went at the first attempt: one command.
  assert_eq "$(count_log "Executing command:")" 1 "commands"
  assert_log_contains $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null'
  assert_eq "$(fake_calls lpadmin)" "-xq1" "lpadmin calls"
  assert_eq "$(fake_calls lpstat)" "" "lpstat calls"
  # The queue's model file is kept as ".old".
  assert_no_file /usr/share/cups/model/q1
  assert_eq "$(cat /usr/share/cups/model/q1.old)" "model of q1" "q1.old"
}

case_refused_queue_is_retried_once() {
  fake_spooler 1
  install_package /opt/vyr q1
  deinstall y
  assert_eq "$(count_log "Executing command:")" 3 "commands"
  assert_log_order $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null' \
    $'Executing command:\n\t/usr/bin/lpstat -pq1 -l > /dev/null' \
    $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null' "Deleting the Orvo printer: q1."
  assert_eq "$(fake_calls lpadmin)" $'-xq1\n-xq1' "lpadmin calls"
  assert_eq "$(fake_calls lpstat)" "-pq1 -l" "lpstat calls"
  assert_no_file /opt/vyr/q1
}

# No information file, or -u naming a directory that does not exist or holds no information file:
# nothing is deleted.
case_missing_install_dir_deletes_nothing() {
  fake_spooler
  deinstall y
  assert_eq "$(cat /tmp/setup.err; echo .)" $'No Orvo installation found.\n*** Sorry ***\n.' "standard error"
  assert_log_order "No Orvo installation found." "*** Sorry ***"
  assert_log_lacks "Deleting"

  install_package /opt/vyr
  install_package /srv/plain q2
  rm /srv/plain/orvoInfo4.0
  for dir in /srv/absent /srv/plain; do
    deinstall y -u "$dir"
    assert_log_contains $'The installation directory:\n\t\''"$dir"$'\'\ndoes not exist or is not OK.'
    assert_log_lacks "Deleting"
  done
  assert_file_exists /opt/vyr/orvo /usr/bin/qixgsfilter /srv/plain/orvo /srv/plain/bin/setup /srv/plain/q2.sh
}

# A PRINTERS block of "Default" alone deletes no queue; -u with a trailing "/" keeps it in every path.
case_trailing_slash_of_install_dir_kept() {
  fake_spooler
  install_package /opt/vyr
  deinstall y -u /opt/vyr/
  assert_log_contains "Deleting file: '/opt/vyr//orvo' - OK."
  assert_log_contains "Deleting directory: '/opt/vyr//bin' - OK."
  assert_no_file /opt/vyr/orvo
  assert_log_contains "Number of Orvo printers found: 1."
  assert_log_lacks "Deleting the Orvo printer" "Executing command:"
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
}

# Without CUPS no spooler command runs, and the queue directories and package files still go.
case_non_cups_systems_still_delete_files() {
  fake_spooler
  install_package /opt/vyr q1
  QIXLPMODE=LPR deinstall y
  assert_eq "$(fake_calls lpadmin)$(fake_calls lpstat)" "" "spooler calls"
  assert_eq "$(count_log "' - OK.")" 14 "files and directories deleted"
  assert_no_file /opt/vyr/q1 /opt/vyr/bin

  install_package /opt/vyr q1 q2
  QIXLPMODE=LPRNG deinstall y
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
  assert_no_file /opt/vyr/q1 /opt/vyr/q2.sh
  assert_log_order "Deleting the Orvo printer: q1." "Deleting the Orvo printer: q2."
}

case_dash_u_names_another_installation() {
  fake_spooler
  install_package /opt/vyr qa
  install_package /srv/pkg qb
  deinstall y -u /srv/pkg

  assert_eq "$(fake_calls lpadmin)" "-xqb" "lpadmin calls"
  assert_no_file /srv/pkg/qb /srv/pkg/qb.sh /srv/pkg/bin
  assert_log_contains "Deleting file: '/srv/pkg/orvo' - OK."
  assert_file_exists /opt/vyr/qa.sh /opt/vyr/orvo /opt/vyr/bin/setup
}

case_link_inside_ppd_deleted_as_link() {
  fake_spooler
  install_package /opt/vyr
  write_file /srv/ppdstore/keep.ppd "not the package's"
  ln -s /srv/ppdstore /opt/vyr/ppd/elsewhere
  deinstall y
  assert_log_contains "Deleting directory: '/opt/vyr/ppd' - OK."
  assert_no_file /opt/vyr/ppd
  assert_eq "$(cat /srv/ppdstore/keep.ppd)" "not the package's" "link target"
}

# Names that are no path component, or too long, are skipped; /dev/<queue> goes only when it is a
# regular file or a link, so neither /dev/null (queue "null") nor the block device /dev/sda is touched.
case_hostile_queue_names_reach_nothing() {
  fake_spooler
  local long
  long=$(printf 'q%.0s' {1..100})
  install_package /opt/vyr ok1 sda null stale
  write_info_file /opt/vyr/orvoInfo4.0 "Orvo 4.0 Information File" /opt/vyr Default ok1 "../../etc" \
    "a;touch /tmp/pwned" sda "$long" "b;touch pwned2" ok2 null stale
  mkdir -p /opt/vyr/ok2 "/opt/vyr/b;touch pwned2"
  mknod /dev/sda b 8 0
  write_file /dev/stale "left by an old spooler"
  local etc_before
  etc_before=$(ls -A /etc)
  deinstall y

  assert_eq "$(ls -A /etc)" "$etc_before" "/etc"
  assert_no_file /tmp/pwned /pwned2
  [[ -b /dev/sda ]] || fail "/dev/sda is no longer a block device"
  [[ -c /dev/null ]] || fail "/dev/null is no longer the null device"
  assert_no_file /dev/stale
  # A name without "/" is a queue name like any other, quoted for the shell.
  assert_eq "$(fake_calls lpadmin)" $'-xok1\n-xsda\n-xb;touch pwned2\n-xok2\n-xnull\n-xstale' "lpadmin calls"
  assert_log_contains $'\t/usr/sbin/lpadmin -x\'b;touch pwned2\' 2>/dev/null'
  local name
  for name in "../../etc" "a;touch /tmp/pwned" "$long"; do
    assert_log_contains "Skipping printer queue '$name': not a usable queue name."
  done
  assert_log_contains "Skipping '/dev/sda': not a regular file or symbolic link."
  assert_log_order "Deleting the Orvo printer: ok1." "Deleting the Orvo printer: sda." \
    "Deleting the Orvo printer: b;touch pwned2." "Deleting the Orvo printer: ok2."
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
