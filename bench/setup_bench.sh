#!/bin/bash
# The full-install benchmark. It rewrites /etc/cups, /opt/vyr and /usr/share/ppd and replaces the CUPS
# restart commands, so it runs only inside tests/sandbox/run; scripts/bench starts it there.
#
#   bench/setup_bench.sh BUILD_DIR TOOLS_DIR       (TOOLS_DIR: run_meter and open_counter.so)
#
# 1. The machine: $ORVO_BENCH_QUEUES (1000) queues on old package PPDs (marker 1.x; models spread over the
#    model table, the three PDL kinds in turn; four fifths of the queues with other defaults than the
#    generator's; every fourth queue with a /opt/vyr/<queue>/root/orvoConfig). No scheduler runs:
#    systemctl, service and the CUPS init scripts are fakes that exit 0, so restarts cost nothing.
# 2. The timed run: the sample package unpacked under /tmp, its bin/setup started there with
#    QIXLPMODE=CUPS; wall time, CPU time and peak memory from run_meter. Its results are checked.
# 3. The floor, on the same files: per queue the run refreshed, exactly what a refresh must do
#    (bench/refresh_floor.cpp: its three commands, reading the old and writing the new PPD in one
#    process). (The sandbox keeps its files in memory, where fsync costs nothing: scripts/bench measures
#    the rename and fsync cost on disk, outside it.)
# 4. The counted run: the machine put back as in 1, the same setup again with open_counter.so preloaded,
#    which notes every PPD file opened by setup and by the commands it runs. (Not the timed run: loading
#    the counter into each of the run's few thousand processes costs time of its own.)
# Prints the figures and the bars; exits 1 when a check of the run fails or a bar is missed.
set -euo pipefail

build_dir=$1
tools_dir=$2
queue_count=${ORVO_BENCH_QUEUES:-1000}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=tests/sandbox/lib.sh
source "$source_dir/tests/sandbox/lib.sh"

# The sandbox's first process is its launcher; on the host this never holds.
[[ $(tr '\0' ' ' </proc/1/cmdline) == *"sandbox/run --inside"* ]] ||
  { echo "setup_bench: start me through tests/sandbox/run (see scripts/bench)" >&2; exit 2; }

package_tar=$build_dir/dist/orvo-4.0-0.tar.gz
[[ -f $package_tar ]] || { echo "setup_bench: no sample package $package_tar" >&2; exit 1; }
work=/tmp/bench
ppd_dir=/etc/cups/ppd
pristine=/var/tmp/bench-pristine
mkdir -p "$work"

# --- 1. the machine -------------------------------------------------------------------------------------

rm -rf "$ppd_dir" /opt/vyr /usr/share/ppd/vyr "$RUN_LOG" "$pristine"
mkdir -p "$ppd_dir"
for command in /usr/bin/systemctl /usr/sbin/service /etc/init.d/cups /etc/init.d/cupsys; do
  fake_command "$command" 0
done

mkdir -p /tmp/bench-package
tar -xzf "$package_tar" -C /tmp/bench-package
package=/tmp/bench-package/orvo-4.0-0
package_ppds=$(find "$package/ppd" -type f | wc -l)

# Queue i takes combination (i-1)*7 mod 813 of the 271 models x 3 PDL kinds: every package PPD serves
# one queue before any serves two, and neighbouring queues differ in model and language.
mapfile -t rows < <("$build_dir/model_rows")
pdls=(ps pcl pxl)
combinations=$((${#rows[@]} * ${#pdls[@]}))
# Queue i gets the defaults of variant i mod 5 (ppdgen's --batch takes its options for the whole batch).
variants=(
  ""
  "--pagesize A4"
  "--default Duplex=DuplexNoTumble --default Resolution=1200dpi"
  "--pagesize Legal --default InputSlot=Tray2 --default ColorModel=Gray"
  "--default MediaType=Labels --default Duplex=DuplexTumble"
)
batches=("" "" "" "" "")
config_count=0
for ((queue = 1; queue <= queue_count; queue++)); do
  printf -v name 'q%04d' "$queue"
  combination=$(((queue - 1) * 7 % combinations))
  IFS=$'\t' read -r _ _ model <<<"${rows[combination / 3]}"
  batches[queue % 5]+="$model"$'\t'"${pdls[combination % 3]}"$'\t'"1.$((queue % 10))"$'\t'"$ppd_dir/$name.ppd"$'\n'
  if ((queue % 4 == 0)); then
    write_file "/opt/vyr/$name/root/orvoConfig" \
      $'# queue settings\nBanner=none\n%%ORVO_VERSION_1.0 generated\nCopies=1\nDuplexUnit=installed\n'
    config_count=$((config_count + 1))
  fi
done
for variant in "${!variants[@]}"; do
  # shellcheck disable=SC2086  # the options are separate words
  printf '%s' "${batches[variant]}" | "$build_dir/ppdgen" ${variants[variant]} --batch
done
chmod 644 "$ppd_dir"/*.ppd
count_files() {  # count_files PATTERN FILE...: how many of the files have a line matching PATTERN
  local pattern=$1
  shift
  { grep -l -- "$pattern" "$@" || true; } | wc -l
}
a4_queues=$(count_files '^\*DefaultPageSize: A4' "$ppd_dir"/*.ppd)

# What the runs change, kept to put the machine back before the counted run.
mkdir -p "$pristine"
cp -a "$ppd_dir" "$pristine/ppd"
cp -a /opt/vyr "$pristine/vyr"

# Everything the run may add outside the kept trees; PPD backups land beside the PPD directory.
resetMachine() {
  rm -rf "$ppd_dir" /opt/vyr /usr/share/ppd/vyr /usr/bin/qixgsfilter "$RUN_LOG" "$FAKE_CALLS_DIR" "$work/floor"
  rm -f /etc/cups/*.ppd.rpmsave /etc/cups/*.ppd.floor
  cp -a "$pristine/ppd" "$ppd_dir"
  cp -a "$pristine/vyr" /opt/vyr
}

# runSetup METER_FILE [ENV...]: the package's setup as an administrator starts it, from its directory.
runSetup() {
  local meter=$1 status=0
  shift
  (cd "$package" && env "$@" QIXLPMODE=CUPS "$tools_dir/run_meter" "$meter" bin/setup \
    </dev/null >"$work/setup.out" 2>"$work/setup.err") || status=$?
  ((status == 0)) || { echo "setup_bench: setup exited with $status" >&2; cat "$work/setup.err" >&2; exit 1; }
}

# "<queue PPD> TAB <package PPD>" for each refresh in a run log.
refreshPairs() {
  awk '/^Printer = .* with PPD=/ { queue = $0; sub(/^.* with PPD=/, "", queue) }
       /^PPD = / && queue != "" { ppd = $0; sub(/^PPD = /, "", ppd); sub(/\.$/, "", ppd); print queue "\t" ppd; queue = "" }' "$1"
}

# --- 2. the timed run -----------------------------------------------------------------------------------

load_before=$(cut -d' ' -f1 /proc/loadavg)
runSetup "$work/setup.meter"
cp "$RUN_LOG" "$work/setup.log"
refreshPairs "$work/setup.log" >"$work/pairs.tsv"

# A benchmark of a run that did not do its job measures nothing: check the job first.
problems=()
expect() {  # expect WHAT ACTUAL WANTED
  [[ $2 == "$3" ]] || problems+=("$1: $2, expected $3")
}
log=$(cat "$work/setup.log")
expect "queues listed" "$(sed -n 's/^List of Ostra Printers installed: \([0-9]*\)\.$/\1/p' <<<"$log")" "$queue_count"
expect "refreshes with a new PPD" "$(wc -l <"$work/pairs.tsv")" "$queue_count"
expect "PPDs installed (cp result=0)" "$(grep -c '^Copying /tmp/qixot.* to /etc/cups/ppd/.*: result=0$' <<<"$log")" \
  "$queue_count"
expect "backups made" "$(find /etc/cups -maxdepth 1 -name '*.ppd.rpmsave' | wc -l)" "$queue_count"
expect "queue PPDs on marker 4.0" "$(count_files '^\*% Orvo version: 4.0' "$ppd_dir"/*.ppd)" "$queue_count"
expect "A4 defaults kept" "$(count_files '^\*DefaultPageSize: A4' "$ppd_dir"/*.ppd)" "$a4_queues"
expect "orvoConfig markers updated" "$(count_files '^%%ORVO_VERSION_3.0$' /opt/vyr/q*/root/orvoConfig)" \
  "$config_count"
expect "CUPS restarts" "$(fake_calls systemctl | wc -l)" 1  # one serves the refresh and the installation
expect "served null (no scheduler)" "$(grep -o '"served":null' /var/log/Orvo4.0_UpdateLog.json | wc -l)" "$queue_count"
expect "temporary files left" "$(find /tmp -maxdepth 1 -name 'qix*' | wc -l)" 0
expect "last log line" "$(tail -n 1 <<<"$log" | cut -c1-36)" "Finishing Orvo 4.0-0 installation : "
if ((${#problems[@]} > 0)); then
  printf 'setup_bench: the timed run did not do its job:\n' >&2
  printf '  %s\n' "${problems[@]}" >&2
  exit 1
fi

# --- 3. the floor ---------------------------------------------------------------------------------------

mkdir -p "$work/floor"
"$tools_dir/run_meter" "$work/floor.meter" "$tools_dir/refresh_floor" "$work/floor" <"$work/pairs.tsv"
load_after=$(cut -d' ' -f1 /proc/loadavg)

# --- 4. the counted run ---------------------------------------------------------------------------------

resetMachine
runSetup "$work/counted.meter" LD_PRELOAD="$tools_dir/open_counter.so" OPEN_COUNTER_LOG="$work/opens.log"
refreshPairs "$RUN_LOG" >"$work/counted_pairs.tsv"
if ! grep -q '^New installation$' "$RUN_LOG" || ! cmp -s "$work/pairs.tsv" "$work/counted_pairs.tsv"; then
  echo "setup_bench: the counted run did not repeat the timed run" >&2
  exit 1
fi
ppd_install_dir=$(sed -n 's/^PPD installation dir: //p' "$RUN_LOG" | tail -n 1)
[[ $ppd_install_dir == /* ]] || { echo "setup_bench: no PPD installation directory in the run log" >&2; exit 1; }

# --- the report -----------------------------------------------------------------------------------------

meter() {  # meter FILE FIELD
  sed -n "s/.*\\b$2=\\([0-9.]*\\).*/\\1/p" "$1"
}
export LC_ALL=C
setup_wall=$(meter "$work/setup.meter" wall)
floor_wall=$(meter "$work/floor.meter" wall)
setup_cpu=$(awk -v u="$(meter "$work/setup.meter" user)" -v s="$(meter "$work/setup.meter" sys)" 'BEGIN { print u + s }')
floor_cpu=$(awk -v u="$(meter "$work/floor.meter" user)" -v s="$(meter "$work/floor.meter" sys)" 'BEGIN { print u + s }')
setup_rss=$(meter "$work/setup.meter" maxrss_kib)
counted_rss=$(meter "$work/counted.meter" maxrss_kib)
refreshed=$(wc -l <"$work/pairs.tsv")

# Opens for reading, by file: the installed package PPDs (what the refresh reads) and the unpacked ones.
# "Needed" reads of an installed PPD: one per queue refreshed from it, as the floor makes.
read -r installed_reads installed_files installed_max extra_max extra_files setup_reads <<<"$(
  awk -F'\t' -v dir="$ppd_install_dir/" '
    FNR == NR { needed[$2]++; next }
    $4 != "w" && index($5, dir) == 1 { reads[$5]++; total++; if ($2 == "setup") own++ }
    END {
      for (f in reads) {
        files++
        if (reads[f] > max) max = reads[f]
        extra = reads[f] - needed[f]
        if (extra > extraMax) extraMax = extra
        if (extra > 1) over++
      }
      print total + 0, files + 0, max + 0, extraMax + 0, over + 0, own + 0
    }' "$work/pairs.tsv" "$work/opens.log")"
read -r source_reads source_files source_max <<<"$(
  awk -F'\t' -v dir="$package/ppd/" '
    $4 != "w" && index($5, dir) == 1 { reads[$5]++; total++ }
    END { for (f in reads) { files++; if (reads[f] > max) max = reads[f] }; print total + 0, files + 0, max + 0 }' \
    "$work/opens.log")"

missed=0 wall_verdict="" rss_verdict="" open_verdict=""
verdict() {  # verdict NAME CONDITION: sets $NAME to ok or MISSED by an awk condition
  if awk "BEGIN { exit !($2) }"; then
    printf -v "$1" ok
  else
    printf -v "$1" MISSED
    missed=1
  fi
}
ratio=$(awk -v a="$setup_wall" -v b="$floor_wall" 'BEGIN { printf "%.2f", a / b }')
cpu_ratio=$(awk -v a="$setup_cpu" -v b="$floor_cpu" 'BEGIN { printf "%.2f", a / b }')
verdict wall_verdict "$ratio <= 1.3"
verdict rss_verdict "$setup_rss < 32 * 1024 && $counted_rss < 32 * 1024"
verdict open_verdict "$extra_max <= 1 && $source_max <= 1"

printf '\nFull install benchmark: %d queues on old PPDs, a package of %d gzip PPDs\n' "$queue_count" "$package_ppds"
printf '(%s CPUs; load average %s before the timed run, %s after the floor)\n\n' "$(nproc)" "$load_before" "$load_after"
printf '%-44s %10s %10s %8s   %s\n' "" "setup run" "floor" "ratio" "bar"
printf '%-44s %10.2f %10.2f %8s   %s\n' "wall time (s)" "$setup_wall" "$floor_wall" "$ratio" "<= 1.3x floor: $wall_verdict"
printf '%-44s %10.2f %10.2f %8s\n' "CPU time, user + sys, all processes (s)" "$setup_cpu" "$floor_cpu" "$cpu_ratio"
printf '%-44s %10.1f %10.1f\n' "wall time per refreshed queue (ms)" \
  "$(awk -v t="$setup_wall" -v n="$refreshed" 'BEGIN { print t * 1000 / n }')" \
  "$(awk -v t="$floor_wall" -v n="$refreshed" 'BEGIN { print t * 1000 / n }')"
printf '%-44s %10.1f %10.1f\n' "CPU time per refreshed queue (ms)" \
  "$(awk -v t="$setup_cpu" -v n="$refreshed" 'BEGIN { print t * 1000 / n }')" \
  "$(awk -v t="$floor_cpu" -v n="$refreshed" 'BEGIN { print t * 1000 / n }')"
printf '%-44s %10.1f %21s   %s\n' "peak memory, max RSS (MiB)" "$(awk -v k="$setup_rss" 'BEGIN { print k / 1024 }')" "" \
  "< 32 MiB: $rss_verdict"
printf '%-44s %10d\n' "queues refreshed" "$refreshed"
printf '\nPackage PPDs opened for reading (counted run, setup and every command it ran):\n'
printf '  installed copies in %s: %d opens of %d files, at most %d per file;\n' "$ppd_install_dir" \
  "$installed_reads" "$installed_files" "$installed_max"
printf '    %d of them by setup itself; %d are the copies the refresh needs (one per refreshed queue, as the floor)\n' \
  "$setup_reads" "$refreshed"
printf '    beyond those copies: at most %d per file (%d files above 1)   bar <= 1: %s\n' "$extra_max" \
  "$extra_files" "$open_verdict"
printf '  unpacked package %s: %d opens of %d files, at most %d per file (the install copy)\n' "$package/ppd" \
  "$source_reads" "$source_files" "$source_max"
printf '  counted run peak memory: %.1f MiB (with the counter loaded)\n' "$(awk -v k="$counted_rss" 'BEGIN { print k / 1024 }')"
printf '\nThe floor per queue, in one process: read the old PPD, cp of it to a backup, a copy of the package\n'
printf 'PPD and gzip -d of it, the new PPD written, cp of that over the queue PPD. The setup run also installs\n'
printf 'the package (%d PPDs copied) and lists the queues; both are in its figures.\n' "$package_ppds"
exit "$missed"
