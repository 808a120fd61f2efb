# De-installation with -d: confirmation, the package's queues, their directories, the package files and
# directories. lpadmin and lpstat are fakes that record their arguments.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# The filter goes first, so its link in /usr/bin is dangling by row 4 and gone by row 10; a link inside
# the package's ppd directory goes as a link; a file that is not the package's stays; the queue's model
# file is kept as ".old".
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
  assert_eq "$(ls -A /opt/vyr) $(cat /srv/ppdstore/keep.ppd) $(cat /usr/share/cups/model/q1.old)" \
    "notes.txt not the package's model of q1" "what is left"
  assert_no_file /usr/bin/qixgsfilter /usr/share/cups/model/q1
  assert_eq "$(fake_calls lpadmin)|$(fake_calls lpstat)|$(cat /tmp/setup.err; echo .)" \
    $'-xq1||Orvo 4.0-0 has been un-installed from the system.\n\n.' "spooler calls and standard error"
}

# No information file, -u naming a directory that does not exist or holds no information file, an answer
# other than yes: nothing is deleted.
case_nothing_deleted_without_installation_or_yes() {
  fake_spooler
  deinstall y
  assert_eq "$(cat /tmp/setup.err; echo .)" $'No Orvo installation found.\n*** Sorry ***\n.' "standard error"
  install_package /opt/vyr q1
  install_package /srv/plain q2
  rm /srv/plain/orvoInfo4.0
  local dir
  for dir in /srv/absent /srv/plain; do
    deinstall y -u "$dir"
    assert_log_contains $'The installation directory:\n\t\''"$dir"$'\'\ndoes not exist or is not OK.'
  done
  deinstall maybe
  assert_log_contains "Program abandoned by user."
  assert_eq "$(fake_calls lpadmin)" "" "lpadmin calls"
  assert_file_exists /srv/plain/orvo /srv/plain/bin/setup /srv/plain/q2.sh /opt/vyr/orvo /opt/vyr/q1 /usr/bin/qixgsfilter
}

# A queue lpadmin refuses is queried and removed once more, and the run goes on; -u names another
# installation, kept in every path as given. Without CUPS no spooler command runs, and the queue
# directories and package files still go.
case_other_installation_and_non_cups() {
  fake_spooler 1
  install_package /opt/vyr q1
  install_package /srv/pkg qa qb
  deinstall y -u /srv/pkg/
  assert_log_contains "Deleting file: '/srv/pkg//orvo' - OK."
  assert_no_file /srv/pkg/qa /srv/pkg/qb.sh /srv/pkg/bin
  assert_file_exists /opt/vyr/q1 /opt/vyr/orvo
  QIXLPMODE=LPR deinstall y
  assert_no_file /opt/vyr/q1 /opt/vyr/bin
  assert_eq "$(fake_calls lpadmin | xargs) / $(fake_calls lpstat | xargs)" "-xqa -xqa -xqb -xqb / -pqa -l -pqb -l" "spooler calls"
}

# Names that are no path component, too long or hold NUL bytes are skipped; /dev/<queue> goes only when
# it is a regular file or a link, so neither /dev/null (queue "null") nor the block device /dev/sda is
# touched; bin replaced by a link goes as a link, its target's files stay. "Default" is never a queue,
# also further down the list.
case_hostile_queue_names_reach_nothing() {
  fake_spooler
  local long etc_before name
  long=$(printf 'q%.0s' {1..100})
  install_package /opt/vyr ok1 sda null stale
  write_info_file /opt/vyr/orvoInfo4.0 "Orvo 4.0 Information File" /opt/vyr Default "$long" ok1 "../../etc" \
    "a;touch /tmp/pwned" sda "b;touch pwned2" ok2 null '..@x' stale '@@' Default stdin proc
  sed -i 's/@/\x00/g' /opt/vyr/orvoInfo4.0
  mkdir -p /opt/vyr/ok2 "/opt/vyr/b;touch pwned2"
  mv /opt/vyr/bin /opt/vyr/bin.old
  ln -s /srv/victim /opt/vyr/bin
  write_file /srv/victim/nc "not the package's"
  mknod /dev/sda b 8 0
  write_file /dev/stale "left by an old spooler"
  ln -sfn /proc/self/fd/0 /dev/stdin
  ln -s /proc/kcore /dev/proc
  etc_before=$(ls -A /etc)
  deinstall y
  assert_eq "$(ls -A /etc)" "$etc_before" "/etc"
  assert_no_file /tmp/pwned /pwned2 /dev/stale /opt/vyr/bin
  [[ -b /dev/sda && -c /dev/null && -L /dev/stdin && -L /dev/proc && -f /srv/victim/nc ]] || fail "/dev or /srv/victim changed"
  assert_eq "$(fake_calls lpadmin | xargs)" "-xok1 -xsda -xb;touch pwned2 -xok2 -xnull -xstale -xstdin -xproc" "lpadmin calls"
  assert_log_contains $'\t/usr/sbin/lpadmin -x\'b;touch pwned2\' 2>/dev/null'
  for name in "../../etc" "a;touch /tmp/pwned" "$long" '..\000x' '\000\000'; do
    assert_log_contains "Skipping printer queue '$name': not a usable queue name."
  done
  for name in ok1 ok2 sda "b;touch pwned2"; do assert_no_file "/opt/vyr/$name"; done
}
