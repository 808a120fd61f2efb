#!/bin/bash
# The playbook measured over a fleet of simulated print servers (not part of `make test`; figures to read).
#
#   bench/fleet_bench.sh [BUILD_DIR]    (default build/release; needs its setup, ppdgen, model_rows and
#                                        the sample package dist/orvo-4.0-0.tar.gz; root)
#
# Inside one sandbox (tests/sandbox/run): ORVO_FLEET_HOSTS (24) print servers made as the fleet scenario
# makes them (tests/sandbox/host: own namespaces, cupsd, sshd), each with ORVO_FLEET_QUEUES (50) queues on
# old package PPDs. The playbook as shipped (package/ansible, its serial and max_fail_percentage) rolls the
# sample package out over ssh, several times, each run timed as a whole (run_meter: wall and CPU time of
# ansible-playbook with its workers and ssh clients) with the controller's memory sampled (the summed PSS
# of every process outside the hosts' namespaces), and its rollout report read for the time per batch and
# per host:
#   1. install, forks 5                         2. the same again: nothing to do, forks 5
#   3. rollback, forks 10                       4. install over the rolled back queues, forks 10
#   5. rollback, forks 10                       6. the same install, forks = hosts, one batch of all
#   7. install with host1 lacking foomatic-rip: the canary batch fails, the rest are "not reached"
# Every host and the controller share this machine's CPUs: read the figures with that in mind.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [[ ${1-} != --inside ]]; then
  build_dir=$(realpath "${1:-$root/build/release}")
  for file in setup ppdgen model_rows dist/orvo-4.0-0.tar.gz; do
    [[ -e $build_dir/$file ]] || { echo "fleet_bench: $build_dir/$file is missing; build first" >&2; exit 1; }
  done
  mkdir -p "$build_dir/bench"
  if [[ ! $build_dir/bench/run_meter -nt $root/bench/run_meter.cpp ]]; then
    g++ -std=c++20 -O2 -Wall -Wextra -Werror -o "$build_dir/bench/run_meter" "$root/bench/run_meter.cpp"
  fi
  ORVO_BUILD_DIR=$build_dir exec "$root/tests/sandbox/run" "$root/bench/fleet_bench.sh" --inside
fi

# shellcheck source=tests/sandbox/lib.sh
source "$root/tests/sandbox/lib.sh"
HOST=$root/tests/sandbox/host
hosts=${ORVO_FLEET_HOSTS:-24}
queues=${ORVO_FLEET_QUEUES:-50}
old_ppds=/var/tmp/fleet-ppds

on_host() {
  "$HOST" run "$1" bash -c "set -euo pipefail; source $root/tests/sandbox/lib.sh; $2"
}

echo "Machine: $(nproc) CPUs ($(sed -n 's/^model name\s*: //p' /proc/cpuinfo | sed -n 1p)), $(free -g |
  awk '/^Mem:/ { print $2 }') GiB; load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(ansible-playbook \
  --version | sed -n 1p); $hosts hosts of $queues queues, all on this machine"

# The old PPDs, made once before the hosts start (a host sees the sandbox's / as it was then): models
# spread over the model table, the three PDL kinds in turn.
mkdir -p "$old_ppds"
rows=$("$ORVO_BUILD_DIR/model_rows" | wc -l)
kinds=(pcl ps pxl)
for ((q = 1; q <= queues; q++)); do
  old_ppd "$old_ppds/q$q.ppd" $(((q * 37) % rows + 1)) "${kinds[q % 3]}" 1.$((q % 5))
done

"$HOST" keys
echo '[print_servers]' >/tmp/inventory
started=$SECONDS
for ((n = 1; n <= hosts; n++)); do
  "$HOST" start "$n"
  echo "host$n ansible_host=10.200.$n.2" >>/tmp/inventory
  on_host "$n" "echo 'DirtyCleanInterval 0' >>/etc/cups/cupsd.conf; start_cupsd; container_service_manager
    for ppd in $old_ppds/*.ppd; do add_queue \$(basename \$ppd .ppd) \$ppd; done" &
  ((n % 2)) || wait
done
wait
printf '%s\n' '[print_servers:vars]' ansible_user=root ansible_ssh_private_key_file=/root/fleet/id \
  "ansible_ssh_common_args='-o UserKnownHostsFile=/root/fleet/known_hosts'" >>/tmp/inventory
echo "Fleet made in $((SECONDS - started)) s"
echo

# The summed PSS (KiB) of the processes outside the hosts' PID namespaces, every 0.2 s, its peak at the end.
sample_memory() {
  python3 - "$1" <<'EOF'
import os, sys, time
own = os.readlink("/proc/self/ns/pid")
peak = 0
while os.path.exists(sys.argv[1]):
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if int(pid) == os.getpid() or os.readlink(f"/proc/{pid}/ns/pid") != own:
                continue
            with open(f"/proc/{pid}/smaps_rollup") as f:
                total += sum(int(line.split()[1]) for line in f if line.startswith("Pss:"))
        except OSError:
            pass
    peak = max(peak, total)
    time.sleep(0.2)
print(peak)
EOF
}

# Runs the playbook with the given arguments and prints one line of figures for it.
rollout() {
  local label=$1 flag=/tmp/sampling memory_file=/tmp/memory
  shift
  rm -rf /tmp/report && touch "$flag"
  sample_memory "$flag" >"$memory_file" &
  local sampler=$!
  (cd "$root/package/ansible" && HOME=/tmp/controller "$ORVO_BUILD_DIR/bench/run_meter" /tmp/meter \
    ansible-playbook -i /tmp/inventory -e "orvo_package=$ORVO_BUILD_DIR/dist/orvo-4.0-0.tar.gz" \
    -e orvo_report_dir=/tmp/report site.yml "$@") >/tmp/playbook.out 2>&1 || true
  rm -f "$flag"
  wait "$sampler"
  # The report's rows: host, outcome, ..., batch (7), started (8), seconds (9); the queue list is quoted.
  python3 - "$label" "$(cat /tmp/meter)" "$(cat "$memory_file")" /tmp/report/*.csv <<'EOF'
import csv, sys
label, meter, peak_kib, path = sys.argv[1], dict(f.split("=") for f in sys.argv[2].split()), int(sys.argv[3]), sys.argv[4]
rows = list(csv.DictReader(open(path, newline="")))
outcomes = {}
for row in rows:
    outcomes[row["outcome"]] = outcomes.get(row["outcome"], 0) + 1
ran = [row for row in rows if row["seconds"]]
batches = {}
for row in ran:
    batches.setdefault(int(row["batch"]), []).append(float(row["seconds"]))
per_host = sorted(float(row["seconds"]) for row in ran)
print(f"{label}: wall {float(meter['wall']):.0f} s; controller CPU {float(meter['user']) + float(meter['sys']):.0f} s, "
      f"peak memory {peak_kib / 1024:.0f} MiB (largest process {int(meter['maxrss_kib']) / 1024:.0f} MiB)")
if per_host:
    print(f"    per host {per_host[len(per_host) // 2]:.1f} s median, {per_host[-1]:.1f} s longest; per batch "
          + ", ".join(f"{len(times)}: {max(times):.0f} s" for _, times in sorted(batches.items())))
print("    outcomes: " + ", ".join(f"{count} {outcome}" for outcome, count in outcomes.items()))
EOF
}

rollout "1. install, forks 5" -f 5
rollout "2. again, nothing to do, forks 5" -f 5
rollout "3. rollback, forks 10" -f 10 -e orvo_setup_action=rollback
rollout "4. install over rolled back queues, forks 10" -f 10
rollout "5. rollback, forks 10" -f 10 -e orvo_setup_action=rollback
rollout "6. install over rolled back queues, forks $hosts, one batch" -f "$hosts" -e orvo_serial="$hosts"
on_host 1 'remove_command foomatic-rip /usr/lib/cups/filter/foomatic-rip'
rollout "7. install, host1 without foomatic-rip, forks 5" -f 5
