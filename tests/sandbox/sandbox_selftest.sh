# The sandbox itself; tests/sandbox/selftest_host.sh runs these cases from the host and checks it afterwards.

# With ORVO_SELFTEST_MARKER (a file in the build tree) from the host, also changes that file.
case_changes_stay_inside() {
  local token=${ORVO_SELFTEST_TOKEN:-standalone}

  # A command of the machine replaced (or made where there was none).
  fake_command /usr/bin/chcon 0
  write_file /opt/vyr/x "inside"
  write_file "/etc/orvo-sandbox-selftest-$token" "inside"

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
  local tries
  for ((tries = 0; tries < 100; tries++)); do pgrep -f "^orvo-sandbox-stray-$token" >/dev/null && return 0 || sleep 0.05; done
  fail "the detached process did not start"
}

# With ORVO_SELFTEST_BARRIER=1 it says "serving" and waits for the host's go, so several run at once.
case_scheduler_serves_own_queues() {
  local queue=${ORVO_SELFTEST_QUEUE:-selftest}
  old_ppd /tmp/selftest.ppd 2 pcl none
  start_cupsd
  add_queue "$queue" /tmp/selftest.ppd
  if [[ ${ORVO_SELFTEST_BARRIER-} == 1 ]]; then
    echo serving
    read -r _ || fail "no go from the host"
  fi
  assert_eq "$(lpstat -h 127.0.0.1:631 -v)" "device for $queue: socket://127.0.0.1:9100" "queues"
}
