# A print server that is printing while setup runs: the restart waits for the printing job, every job
# prints once (a slow backend records each start), user-held jobs stay held, and the scheduler serves
# the new PPDs (a stale attribute cache included).

STARTS=/var/tmp/slow-starts

# Queue NAME on an old package PPD, printing through a backend that takes SECONDS a job.
slow_queue() {
  write_file /usr/lib/cups/backend/slow '#!/bin/sh
[ $# -eq 0 ] && { echo "direct slow \"Unknown\" \"Slow\""; exit 0; }
echo "$1" >>'"$STARTS"'
sleep "${DEVICE_URI#slow:/}"
' 755
  touch "$STARTS" && chmod 666 "$STARTS"
  old_ppd "/tmp/$1.ppd" 2 pcl 1.0 --pagesize A4
  lpadmin -p "$1" -E -v "slow:/$2" -P "/tmp/$1.ppd" 2>/dev/null
}

submit() { lp -d "$1" -o raw "${@:2}" /etc/hostname | sed 's/.*-\([0-9]*\) .*/\1/'; }

# The run's result field, with jq-less grep.
json_has() { assert_contains "$(tr -d ' \n' <"$RUN_LOG.json")" "$1"; }

starts_of() { grep -cx "$1" "$STARTS" || true; }

# Waits until the jobs not completed are exactly JOBS (ids, in order).
wait_jobs_left() {
  local deadline=$((SECONDS + 60))
  until [[ $(lpstat -W not-completed -o | awk '{ printf "%s ", $1 }') == "$* " ]]; do
    ((SECONDS < deadline)) || fail "jobs not done: $(lpstat -W not-completed -o)"
    sleep 0.2
  done
}

# Waits for the run log to show LINE while setup (pid $1) runs.
wait_log() {
  until grep -qF "$2" "$RUN_LOG" 2>/dev/null; do
    _process_alive "$1" || fail "setup ended before the log showed '$2'"
    sleep 0.1
  done
}

prepare() {
  start_cupsd
  container_service_manager
  unpack_package
  slow_queue A "$1"
  old_ppd /tmp/B.ppd 2 pcl 1.0 --pagesize A4
  add_queue B /tmp/B.ppd
  PRINTING=$(submit A) WAITING=$(submit A) HELD=$(submit A -H hold)
  until lpstat -o A | grep -q .; do sleep 0.1; done
  until [[ -s $STARTS ]]; do sleep 0.1; done
  queue_states >/tmp/states.before
}

# Enabled or not, accepting or not, and the reasons of both queues (but the filter warnings, which the
# scheduler finds anew for the new PPD).
queue_states() {
  lpstat -a A B | cut -d' ' -f1-3
  lpstat -l -p A -p B | grep -e '^printer' -e Alerts |
    sed -e 's/ since.*//' -e 's/now printing A-[0-9]*\./is idle./' -e 's/,* *cups-[a-z-]*-warning//' -e 's/Alerts: *$/Alerts: none/'
}

case_restart_waits_for_printing_job_and_every_job_prints_once() {
  prepare 4
  touch -d '+10 minutes' /var/cache/cups/B.data
  rm -f "$RUN_LOG"
  (cd "$PACKAGE_DIR" && exec bin/setup -q 0) </dev/null >/tmp/setup.out 2>&1 &
  local pid=$! late
  wait_log "$pid" "Waiting for 1 printing job(s)"
  late=$(submit A)
  wait "$pid"
  assert_log_order "Kept 1 job(s) from starting" "Waiting for 1 printing job(s)" "No job is printing any more" \
    "CUPS reset returned with: 0" "job(s) kept from starting; each prints once." "CUPS serves printer A as its PPD says"
  assert_log_contains "Removed the scheduler's cached attributes of printer B: /var/cache/cups/B.data."
  assert_eq "$(grep -c '^CUPS reset returned with: 0$' "$RUN_LOG")" 1 "restarts"
  wait_jobs_left "A-$HELD"
  assert_eq "$(starts_of "$PRINTING") $(starts_of "$WAITING") $(starts_of "$late") $(starts_of "$HELD")" "1 1 1 0" \
    "starts of the printing, waiting, late and held jobs"
  assert_contains "$(lpstat -W not-completed -o A)" "A-$HELD "
  json_has '"name":"A"'
  json_has '"outcome":"refreshed","reason":null,"served":true'
  assert_eq "$(grep -o '"served":true' "$RUN_LOG.json" | wc -l)" 2 "queues served"
  json_has '"restartPending":false'
  assert_eq "$(queue_states)" "$(cat /tmp/states.before)" "queue states"
  assert_no_file /var/lib/orvo-setup/held-jobs
}

case_job_longer_than_the_bound_leaves_the_restart_pending() {
  prepare 8
  ORVORESTARTWAIT=1 run_package_setup -q 0
  assert_log_contains "CUPS restart pending: 1 job(s) still printing after 1 seconds."
  assert_log_lacks "CUPS reset returned with"
  json_has '"restarted":false,"restartPending":true'
  json_has '"served":null'
  assert_eq "$(queue_states)" "$(cat /tmp/states.before)" "queue states"
  wait_jobs_left "A-$HELD"
  assert_eq "$(starts_of "$PRINTING") $(starts_of "$WAITING") $(starts_of "$HELD")" "1 1 0" "job starts"
}

case_run_killed_during_the_wait_is_undone_by_the_next_run() {
  prepare 4
  (cd "$PACKAGE_DIR" && exec bin/setup -q 0) </dev/null >/tmp/setup.out 2>&1 &
  local pid=$!
  wait_log "$pid" "Waiting for 1 printing job(s)"
  kill -9 "$pid"
  assert_contains "$(lpstat -l -p A)" "hold-new-jobs"
  wait_jobs_left "A-$WAITING" "A-$HELD"
  run_package_setup -q 0
  assert_log_contains "Restored what an interrupted run held for a CUPS restart: 2 printer(s) and class(es) put back, 1 job(s) released"
  assert_eq "$(queue_states)" "$(cat /tmp/states.before)" "queue states"
  wait_jobs_left "A-$HELD"
  assert_eq "$(starts_of "$PRINTING") $(starts_of "$WAITING") $(starts_of "$HELD")" "1 1 0" "job starts"
}

# On a terminal the refresh shows one progress line rewritten in place and cleared at the end; the run
# log is the one a run without a terminal writes, apart from times and temporary names.
case_progress_line_on_a_terminal_only() {
  local i queues=300
  export QIXLPMODE=CUPS  # no scheduler runs: the restart is a fake, as in the benchmark
  fake_command /usr/bin/systemctl 0
  old_ppd /root/old.ppd 2 pcl 1.0 --pagesize A4
  mkdir -p /root/old
  for ((i = 1; i <= queues; i++)); do cp /root/old.ppd "/root/old/q$i.ppd"; done
  unpack_package
  fresh_queues() { rm -f /etc/cups/q*.ppd.rpmsave && cp /root/old/* /etc/cups/ppd/; }
  fresh_queues && run_package_setup -q 0  # the package is in place for both runs below
  fresh_queues && run_package_setup -q 0
  assert_eq "$(cat /tmp/setup.err)" "" "standard error without a terminal"
  # Sorted: the queues come in the order the directory lists them, which the PPDs' replacement changes.
  sed -E 's/(installation : ).*/\1/; s/qixot[A-Za-z0-9]+/qixot/' "$RUN_LOG" | sort >/tmp/log.plain
  fresh_queues
  # The sandbox's /dev has no pseudo-terminals of its own.
  mkdir -p /dev/pts && mount -t devpts -o newinstance,ptmxmode=0666 devpts /dev/pts && ln -sf pts/ptmx /dev/ptmx
  (cd "$PACKAGE_DIR" && script -qefc "bin/setup -q 0" /tmp/tty.out) </dev/null >/dev/null
  assert_contains "$(cat /tmp/tty.out)" $'\r'"Queue 1 of $queues: q"
  assert_contains "$(cat /tmp/tty.out)" $'\r'"Queue $queues of $queues: q"
  assert_contains "$(cat /tmp/tty.out)" $'\e[K\r\e[K'  # the line, then cleared
  assert_eq "$(sed -E 's/(installation : ).*/\1/; s/qixot[A-Za-z0-9]+/qixot/' "$RUN_LOG" | sort)" "$(cat /tmp/log.plain)" "run log"
}
