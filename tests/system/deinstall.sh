# De-installation with -d: confirmation, the package's queues, their directories, the package files
# and directories. lpadmin and lpstat are fakes that record their arguments.

# Writes the information file DIR/orvoInfo4.0 whose PRINTERS block holds "Default" and NAMES.
write_info() {
  local dir=$1 name
  shift
  {
    printf '#\n# Orvo 4.0 Information File\n#\n%%%%QIXBLOCK_GENERAL_BEGIN\n'
    printf 'USRDIR          %s\nHOMEDIR         $HOME\nTMPDIR          /tmp\n' "$dir"
    printf '%%%%QIXBLOCK_GENERAL_END\n#\n#\n%%%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n'
    for name in "$@"; do printf '%s\n' "$name"; done
    printf '%%%%QIXBLOCK_PRINTERS_END\n#\n#\n%%%%QIXBLOCK_USERS_BEGIN\nroot\n%%%%QIXBLOCK_USERS_END\n#\n#\n'
    printf '%%%%QIXBLOCK_PRNT_BEGIN Default\nroot\n%%%%QIXBLOCK_PRNT_END Default\n#\n#\n%%%%QIXEND\n'
  } >"$dir/orvoInfo4.0"
}

# An installed package in DIR: every file and directory of the removal tables, the filter linked
# into /usr/bin, and for each queue NAME its directory and start script.
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
  write_info "$dir" "$@"
}

fake_spooler() {
  fake_command /usr/sbin/lpadmin "${1:-0}"
  fake_command /usr/bin/lpstat 0
}

# Runs setup -d with ANSWER on standard input and the remaining arguments; keeps standard error.
deinstall() {
  local answer=$1
  shift
  echo "$answer" | "$SETUP" -d "$@" 2>/tmp/stderr
}

count_log() {
  run_log | grep -c -- "$1" || true
}

case_successful_run_deletes_in_table_order() {
  fake_spooler
  install_package /opt/vyr q1
  write_file /opt/vyr/notes.txt "not the package's"
  QIXLPMODE=CUPS deinstall y

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
  assert_eq "$(cat /tmp/stderr; echo .)" $'Orvo 4.0-0 has been un-installed from the system.\n\n.' "standard error"
}

case_answer_no_removes_nothing() {
  fake_spooler
  install_package /opt/vyr q1
  local before
  before=$(find /opt/vyr | sort)
  QIXLPMODE=CUPS deinstall n

  assert_contains "$(cat /tmp/stderr)" "Program abandoned by user."
  assert_log_contains "Program abandoned by user."
  assert_not_contains "$(run_log)" "Deleting"
  assert_eq "$(find /opt/vyr | sort)" "$before" "/opt/vyr"
  assert_file_exists /usr/bin/qixgsfilter
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
}

case_no_installation_is_reported() {
  fake_spooler
  QIXLPMODE=CUPS deinstall y
  assert_eq "$(cat /tmp/stderr; echo .)" $'No Orvo installation found.\n*** Sorry ***\n.' "standard error"
  assert_log_order "No Orvo installation found." "*** Sorry ***"
  assert_not_contains "$(run_log)" "Deleting"
}

case_trailing_slash_of_install_dir_kept() {
  fake_spooler
  install_package /opt/vyr
  QIXLPMODE=CUPS deinstall y -u /opt/vyr/
  assert_log_contains "Deleting file: '/opt/vyr//orvo' - OK."
  assert_log_contains "Deleting directory: '/opt/vyr//bin' - OK."
  assert_no_file /opt/vyr/orvo
}

case_lpr_system_still_deletes_files() {
  fake_spooler
  install_package /opt/vyr q1
  QIXLPMODE=LPR deinstall y
  assert_eq "$(fake_calls lpadmin)$(fake_calls lpstat)" "" "spooler calls"
  assert_eq "$(count_log "' - OK.")" 14 "files and directories deleted"
  assert_no_file /opt/vyr/q1
  assert_no_file /opt/vyr/bin
}

case_dash_u_names_another_installation() {
  fake_spooler
  install_package /opt/vyr qa
  mkdir -p /srv/pkg
  install_package /srv/pkg qb
  QIXLPMODE=CUPS deinstall y -u /srv/pkg

  assert_eq "$(fake_calls lpadmin)" "-xqb" "lpadmin calls"
  assert_no_file /srv/pkg/qb
  assert_no_file /srv/pkg/qb.sh
  assert_no_file /srv/pkg/bin
  assert_log_contains "Deleting file: '/srv/pkg/orvo' - OK."
  assert_file_exists /opt/vyr/qa.sh
  assert_file_exists /opt/vyr/orvo
  assert_file_exists /opt/vyr/bin/setup
}

case_default_only_deletes_no_queue() {
  fake_spooler
  install_package /opt/vyr
  QIXLPMODE=CUPS deinstall y
  assert_log_contains "Number of Orvo printers found: 1."
  assert_not_contains "$(run_log)" "Deleting the Orvo printer"
  assert_not_contains "$(run_log)" "Executing command:"
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
}

case_queue_deleted_at_first_attempt() {
  fake_spooler 0
  install_package /opt/vyr q1
  QIXLPMODE=CUPS deinstall y
  assert_eq "$(count_log "Executing command:")" 1 "commands"
  assert_log_contains $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null'
  assert_eq "$(fake_calls lpadmin)" "-xq1" "lpadmin calls"
  assert_eq "$(fake_calls lpstat)" "" "lpstat calls"
}

case_refused_queue_is_retried_once() {
  fake_spooler 1
  install_package /opt/vyr q1
  QIXLPMODE=CUPS deinstall y
  assert_eq "$(count_log "Executing command:")" 3 "commands"
  assert_log_order $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null' \
    $'Executing command:\n\t/usr/bin/lpstat -pq1 -l > /dev/null' \
    $'Executing command:\n\t/usr/sbin/lpadmin -xq1 2>/dev/null' "Deleting the Orvo printer: q1."
  assert_eq "$(fake_calls lpadmin)" $'-xq1\n-xq1' "lpadmin calls"
  assert_eq "$(fake_calls lpstat)" "-pq1 -l" "lpstat calls"
  assert_no_file /opt/vyr/q1
}

case_model_file_kept_as_old() {
  fake_spooler
  install_package /opt/vyr q1
  write_file /usr/share/cups/model/q1 "model of q1"
  QIXLPMODE=CUPS deinstall y
  assert_no_file /usr/share/cups/model/q1
  assert_eq "$(cat /usr/share/cups/model/q1.old)" "model of q1" "q1.old"
}

case_queue_named_null_spares_dev_null() {
  fake_spooler
  install_package /opt/vyr null stale
  write_file /dev/stale "left by an old spooler"
  QIXLPMODE=CUPS deinstall y
  [[ -c /dev/null ]] || fail "/dev/null is no longer the null device"
  assert_no_file /dev/stale
  assert_eq "$(fake_calls lpadmin)" $'-xnull\n-xstale' "lpadmin calls"
}

case_lprng_queue_directories_removed() {
  fake_spooler
  install_package /opt/vyr q1 q2
  QIXLPMODE=LPRNG deinstall y
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
  assert_no_file /opt/vyr/q1
  assert_no_file /opt/vyr/q2.sh
  assert_log_order "Deleting the Orvo printer: q1." "Deleting the Orvo printer: q2."
}

case_link_inside_ppd_deleted_as_link() {
  fake_spooler
  install_package /opt/vyr
  write_file /srv/ppdstore/keep.ppd "not the package's"
  ln -s /srv/ppdstore /opt/vyr/ppd/elsewhere
  QIXLPMODE=CUPS deinstall y
  assert_log_contains "Deleting directory: '/opt/vyr/ppd' - OK."
  assert_no_file /opt/vyr/ppd
  assert_eq "$(cat /srv/ppdstore/keep.ppd)" "not the package's" "link target"
}

case_missing_install_dir_deletes_nothing() {
  fake_spooler
  install_package /opt/vyr
  QIXLPMODE=CUPS deinstall y -u /srv/absent
  assert_log_contains $'The installation directory:\n\t\'/srv/absent\'\ndoes not exist or is not OK.'
  assert_not_contains "$(run_log)" "Deleting file"
  assert_file_exists /opt/vyr/orvo
  assert_file_exists /usr/bin/qixgsfilter
}

case_hostile_queue_names_reach_nothing() {
  fake_spooler
  local long
  long=$(printf 'q%.0s' {1..100})
  install_package /opt/vyr ok1 sda
  write_info /opt/vyr ok1 "../../etc" "a;touch /tmp/pwned" sda "$long" "b;touch pwned2" ok2
  mkdir -p /opt/vyr/ok2 "/opt/vyr/b;touch pwned2"
  mknod /dev/sda b 8 0
  local etc_before
  etc_before=$(ls -A /etc)
  QIXLPMODE=CUPS deinstall y

  assert_eq "$(ls -A /etc)" "$etc_before" "/etc"
  assert_no_file /tmp/pwned
  assert_no_file /pwned2
  [[ -b /dev/sda ]] || fail "/dev/sda is no longer a block device"
  # A name without "/" is a queue name like any other, quoted for the shell.
  assert_eq "$(fake_calls lpadmin)" $'-xok1\n-xsda\n-xb;touch pwned2\n-xok2' "lpadmin calls"
  assert_log_contains $'\t/usr/sbin/lpadmin -x\'b;touch pwned2\' 2>/dev/null'
  assert_log_contains "Skipping printer queue '../../etc': not a usable queue name."
  assert_log_contains "Skipping printer queue 'a;touch /tmp/pwned': not a usable queue name."
  assert_log_contains "Skipping printer queue '$long': not a usable queue name."
  assert_log_contains "Skipping '/dev/sda': not a regular file or symbolic link."
  assert_log_order "Deleting the Orvo printer: ok1." "Deleting the Orvo printer: sda." \
    "Deleting the Orvo printer: b;touch pwned2." "Deleting the Orvo printer: ok2."
  assert_no_file /opt/vyr/ok1
  assert_no_file /opt/vyr/ok2
  assert_no_file /opt/vyr/sda
  assert_no_file "/opt/vyr/b;touch pwned2"
}
