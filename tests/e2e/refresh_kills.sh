# kill -9 of setup, or of its whole process group, at random moments while it refreshes many queues of a
# real scheduler, each run going on where the one before stopped: every queue PPD is its old PPD or the
# complete new one, every backup the complete old PPD, and a last run refreshes the rest with their
# defaults. ORVO_KILL_QUEUES and ORVO_KILL_ROUNDS scale it (a longer campaign: 200 and 20).
case_kills_during_refresh_leave_every_ppd_whole() {
  local queues=${ORVO_KILL_QUEUES:-100} rounds=${ORVO_KILL_ROUNDS:-4} i pid old new file begun

  old_ppd /root/old.ppd 2 pcl 1.0 --pagesize A4
  # Straight into the scheduler's files: an lpadmin per queue would take longer than the refresh.
  for ((i = 1; i <= queues; i++)); do
    cp /root/old.ppd "/etc/cups/ppd/q$i.ppd"
    printf '<Printer q%d>\nDeviceURI socket://127.0.0.1:9100\nState Idle\nAccepting Yes\n</Printer>\n' "$i"
  done >/etc/cups/printers.conf
  start_cupsd
  container_service_manager
  unpack_package
  old=$(md5sum </root/old.ppd)
  for ((i = 1; i <= rounds; i++)); do
    # Its own process group, so that a kill of the group takes the running copy command too.
    rm -f "$RUN_LOG"
    (cd "$PACKAGE_DIR" && exec setsid bin/setup) </dev/null >/tmp/setup.out 2>&1 &
    pid=$!
    # The first kill comes before the refresh; each later one once a random number of queues (up to
    # half the round's share) have begun, at a random moment after, so the last run has work left.
    begun=$((i == 1 ? 0 : 1 + RANDOM % (queues / rounds / 2 + 1)))
    until (($(cat "$RUN_LOG" 2>/dev/null | grep -c '^Printer = ') >= begun)) || ! _process_alive "$pid"; do
      sleep 0.005
    done
    sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
    kill -9 "$( ((i % 2)) && echo "$pid" || echo "-$pid")" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    for file in /etc/cups/ppd/q*.ppd; do md5sum <"$file"; done >>/root/seen
    for file in /etc/cups/q*.ppd.rpmsave; do
      [[ ! -e $file || $(md5sum <"$file") == "$old" ]] || fail "round $i: $file is not the old PPD"
    done
  done
  install_from_package
  new=$(md5sum </etc/cups/ppd/q1.ppd)
  [[ $new != "$old" ]] || fail "q1 was not refreshed"
  assert_eq "$(sort -u /root/seen | grep -vxF -e "$old" -e "$new" || true)" "" "queue PPDs neither old nor new"
  for ((i = 1; i <= queues; i++)); do
    assert_eq "$(md5sum </etc/cups/ppd/q$i.ppd) $(md5sum </etc/cups/q$i.ppd.rpmsave)" "$new $old" "q$i and its backup"
    assert_eq "$(queue_default "q$i" PageSize)" A4 "page size of q$i"
  done
  assert_eq "$(ls /etc/cups /etc/cups/ppd | grep -c qixnew || true)" 0 "temporary files beside the PPDs"
}
