# The sandbox itself: what a scenario sees, what its helpers do, and that its changes stay inside.
# tests/sandbox/selftest_host.sh runs the changes_stay_inside and scheduler_serves_own_queues cases from
# the host side and checks the host afterwards.

# A sandbox starts from the same plain state every time.
case_starts_plain() {
  assert_eq "$(pwd)" / "working directory"
  assert_eq "$(ls -A /dev | tr '\n' ' ')" "fd full null random shm stderr stdin stdout tty urandom zero " "/dev"
  # Empty, but for the way to a source or build tree that lives below /tmp.
  local tmp tree
  tmp=$(ls -A /tmp)
  for tree in "$ORVO_SOURCE_DIR" "$ORVO_BUILD_DIR"; do
    [[ $tree != /tmp/* ]] || tmp=$(grep -vxF "$(cut -d/ -f3 <<<"$tree")" <<<"$tmp" || true)
  done
  assert_eq "$tmp" "" "/tmp"
  assert_eq "$(ls -A /run)" "cups" "/run"
  assert_eq "$(env | grep -Ev '^(ORVO_|CI=|CI_|PWD=|SHLVL=|_=)' | sort | tr '\n' ' ')" \
    "HOME=/root LANG=C LOGNAME=root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin USER=root " \
    "environment"
  assert_eq "$(id -u)" 0 "uid"
  # Only this scenario's processes are visible: PID 1 is the sandbox, then the scenario and its children.
  assert_eq "$(cat /proc/1/comm)" bash "PID 1"
  (($(ls -d /proc/[0-9]* | wc -l) < 20)) || fail "host processes are visible: $(ls -d /proc/[0-9]*)"
  # Only loopback, and it is up.
  assert_eq "$(ip -o link show | awk -F': ' '{print $2}')" lo "network links"
  assert_contains "$(ip -o addr show dev lo)" "127.0.0.1/8"
  # The source and build trees are where the host has them.
  assert_file_exists "$ORVO_SOURCE_DIR/tests/sandbox/lib.sh"
  assert_eq "$SETUP" "$ORVO_BUILD_DIR/setup" "SETUP"
}

# Everything a scenario changes is its own; selftest_host.sh checks the host is untouched afterwards.
# With ORVO_SELFTEST_TOKEN and ORVO_SELFTEST_MARKER (a file in the build tree) from the host, also
# changes that file, leaves a file in /tmp and a detached process running, all named by the token.
case_changes_stay_inside() {
  local token=${ORVO_SELFTEST_TOKEN:-standalone}

  if [[ -e /usr/bin/chcon ]]; then
    remove_command chcon
    assert_no_file /usr/bin/chcon
  else
    fake_command /usr/bin/chcon 0
  fi
  write_file /opt/vyr/x "inside"
  write_file "/etc/orvo-sandbox-selftest-$token" "inside" 600
  assert_eq "$(stat -c %a "/etc/orvo-sandbox-selftest-$token")" 600 "mode"

  # Device nodes can be made, but none made in the sandbox opens (1:3 is the null device).
  assert_no_file /dev/sda
  mknod /dev/sda b 8 0
  [[ -b /dev/sda ]] || fail "mknod made no block device"
  mknod /dev/selftest-null c 1 3
  ! (: >/dev/selftest-null) 2>/dev/null || fail "a device node made in the sandbox opens"

  write_file "/tmp/orvo-sandbox-selftest-$token" "inside"
  if [[ -n ${ORVO_SELFTEST_MARKER-} ]]; then
    assert_eq "$(cat "$ORVO_SELFTEST_MARKER")" "host" "marker seen inside"
    write_file "$ORVO_SELFTEST_MARKER" "inside"
    write_file "$ORVO_SELFTEST_MARKER.new" "inside"
    write_file "$ORVO_SOURCE_DIR/orvo-sandbox-selftest-$token" "inside"
  fi

  # A process that detaches from the scenario still ends with the sandbox.
  setsid bash -c "exec -a orvo-sandbox-stray-$token sleep 1000" </dev/null >/dev/null 2>&1 &
  local tries cmdline argv0
  for ((tries = 0; tries < 100; tries++)); do
    for cmdline in /proc/[0-9]*/cmdline; do
      IFS= read -r -d '' argv0 <"$cmdline" 2>/dev/null || continue
      [[ $argv0 != "orvo-sandbox-stray-$token" ]] || return 0
    done
    sleep 0.05
  done
  fail "the detached process did not start"
}

# fake_command, fake_calls, remove_command and write_file do what scenarios rely on.
case_helpers_arrange_the_machine() {
  fake_command /usr/local/bin/probe 3 "it's out" "err"
  local out err status=0
  out=$(probe -a 'b c' 2>/tmp/err) || status=$?
  err=$(cat /tmp/err)
  assert_eq "$status" 3 "fake status"
  assert_eq "$out" "it's out" "fake stdout"
  assert_eq "$err" "err" "fake stderr"
  probe x >/dev/null 2>&1 || true
  assert_eq "$(fake_calls probe)" $'-a b c\nx' "fake call log"
  assert_eq "$(fake_calls never)" "" "log of a fake never called"
  assert_eq "$(probe 2>/dev/null | od -An -c | tr -s ' ')" " i t ' s o u t \n" "fake stdout ends its line"

  remove_command /usr/local/bin/probe chcon
  assert_no_file /usr/local/bin/probe /usr/bin/chcon /bin/chcon

  write_file /opt/vyr/deep/file $'one\ntwo' 640
  assert_eq "$(od -An -c /opt/vyr/deep/file | tr -s ' ')" " o n e \n t w o" "written bytes"
  assert_eq "$(stat -c %a /opt/vyr/deep/file)" 640 "written mode"
}

# Each assertion passes on what it asserts and fails, naming the scenario line, on anything else.
case_assertions_fail_when_they_should() {
  write_file "$RUN_LOG" $'start\nmiddle\nend\n'
  local passing=("assert_eq a a" "assert_contains 'a needle here' needle" "assert_not_contains 'a needle here' pin"
    "assert_file_exists $RUN_LOG /" "assert_no_file /nonexistent" "assert_log_contains middle"
    "assert_log_order start middle end" "assert_log_lacks beginning finish")
  local failing=("assert_eq a b" "assert_eq a ''" "assert_contains 'a needle here' pin"
    "assert_not_contains 'a needle here' needle" "assert_file_exists / /nonexistent" "assert_no_file $RUN_LOG"
    "assert_no_file /nonexistent $RUN_LOG" "assert_log_contains beginning" "assert_log_order end start"
    "assert_log_order start start" "assert_log_lacks beginning middle" "fail message")
  local check message
  for check in "${passing[@]}"; do
    (eval "$check") 2>/dev/null || fail "'$check' failed"
  done
  for check in "${failing[@]}"; do
    ! message=$( (eval "$check") 2>&1) || fail "'$check' passed"
    assert_contains "$message" "FAIL (sandbox_selftest.sh:"
  done
  rm "$RUN_LOG"
  ! (run_log) 2>/dev/null || fail "run_log succeeded without a log"
}

# A real scheduler runs privately on 127.0.0.1:631 and holds only this sandbox's queues. With
# ORVO_SELFTEST_QUEUE and ORVO_SELFTEST_BARRIER=1, selftest_host.sh runs several at once: each says
# "serving" once its queue is added and waits for a line on stdin, sent when all are serving, before
# checking that its server still holds its own queue alone.
case_scheduler_serves_own_queues() {
  local queue=${ORVO_SELFTEST_QUEUE:-selftest} started
  old_ppd /tmp/selftest.ppd 2 pcl none
  started=$(date +%s%N)
  start_cupsd
  echo "cupsd up after $((($(date +%s%N) - started) / 1000000)) ms"
  assert_contains "$(lpstat -h 127.0.0.1:631 -r)" "scheduler is running"
  add_queue "$queue" /tmp/selftest.ppd
  if [[ ${ORVO_SELFTEST_BARRIER-} == 1 ]]; then
    echo serving
    read -r _ || fail "no go from the host"
  fi
  assert_eq "$(lpstat -h 127.0.0.1:631 -v)" "device for $queue: socket://127.0.0.1:9100" "queues"
  assert_file_exists "/etc/cups/ppd/$queue.ppd"
  stop_cupsd
  assert_contains "$(lpstat -h 127.0.0.1:631 -r 2>&1)" "scheduler is not running"
}
