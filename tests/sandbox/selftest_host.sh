#!/usr/bin/env bash
# From the host: a sandbox leaves no file, mount or process behind (leaves_host_untouched), and N
# sandboxes each run their own cupsd at once (parallel_cupsd [N]). Scratch files go to the build tree.
set -euo pipefail

here=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)
repo=$(cd "$here/../.." && pwd -P)
ORVO_BUILD_DIR=$(readlink -m "${ORVO_BUILD_DIR:-$repo/build}")
export ORVO_BUILD_DIR
selftest=$repo/tests/sandbox/sandbox_selftest.sh

fail() {
  echo "FAIL (selftest_host): $1" >&2
  exit 1
}

[[ -d $ORVO_BUILD_DIR ]] || fail "no build tree at $ORVO_BUILD_DIR"
scratch=$(mktemp -d "$ORVO_BUILD_DIR/sandbox-selftest.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
token=${scratch##*.}

inSandbox() {
  "$here/run" "$here/scenario" "$selftest" "$@"
}

fingerprint() {
  local path
  for path in "$@"; do
    if [[ -e $path || -L $path ]]; then
      stat -c '%n %F %a %s %Y %t:%T' "$path"
      if [[ -f $path ]]; then sha256sum <"$path"; fi
      if [[ -d $path ]]; then ls -A "$path"; fi
    else
      echo "$path missing"
    fi
  done
}

leavesHostUntouched() {
  local marker=$scratch/marker
  echo host >"$marker"
  local paths=(/usr/bin/chcon /opt/vyr /opt/vyr/x "/etc/orvo-sandbox-selftest-$token" /dev/sda
               /dev/selftest-null "/tmp/orvo-sandbox-selftest-$token" "$marker" "$marker.new"
               "$repo/orvo-sandbox-selftest-$token")
  local before mounts status=0
  before=$(fingerprint "${paths[@]}")
  mounts=$(cat /proc/self/mountinfo)

  ORVO_SELFTEST_TOKEN=$token ORVO_SELFTEST_MARKER=$marker inSandbox changes_stay_inside || status=$?
  ((status != 77)) || exit 77
  ((status == 0)) || fail "the scenario changes_stay_inside failed with status $status"

  local after
  after=$(fingerprint "${paths[@]}")
  if [[ $after != "$before" ]]; then
    diff <(echo "$before") <(echo "$after") >&2 || true
    fail "the host changed"
  fi
  if [[ $(cat /proc/self/mountinfo) != "$mounts" ]]; then
    diff <(echo "$mounts") <(cat /proc/self/mountinfo) >&2 || true
    fail "the host's mount table changed"
  fi
  local cmdline argv0
  for cmdline in /proc/[0-9]*/cmdline; do
    IFS= read -r -d '' argv0 <"$cmdline" 2>/dev/null || continue
    [[ $argv0 != "orvo-sandbox-stray-$token" ]] || fail "a sandbox process outlived it: ${cmdline%/cmdline}"
  done
  echo "host untouched"
}

goLine() {
  until [[ -e $scratch/go ]]; do sleep 0.05; done
  echo go
}

parallelCupsd() {
  local count=${1:-4} i
  local -a pids
  for ((i = 0; i < count; i++)); do
    goLine | ORVO_SELFTEST_QUEUE=queue$i ORVO_SELFTEST_BARRIER=1 \
      inSandbox scheduler_serves_own_queues >"$scratch/out$i" 2>&1 &
    pids[i]=$!
  done

  # Go once every server holds its queue (or its sandbox ended).
  local tries ready
  for ((tries = 0; tries < 1200; tries++)); do
    ready=0
    for ((i = 0; i < count; i++)); do
      if grep -qx serving "$scratch/out$i" || ! kill -0 "${pids[i]}" 2>/dev/null; then ((++ready)); fi
    done
    ((ready < count)) || break
    sleep 0.05
  done
  touch "$scratch/go"

  local failed=0 skipped=0 status
  for ((i = 0; i < count; i++)); do
    status=0
    wait "${pids[i]}" || status=$?
    if ((status == 77)); then
      ((++skipped))
    elif ((status != 0)); then
      ((++failed))
      echo "--- sandbox $i exited with $status:" >&2
      cat "$scratch/out$i" >&2
    fi
  done
  ((skipped == 0 || failed > 0)) || exit 77
  ((failed == 0)) || fail "$failed of $count concurrent sandboxes with cupsd failed"
  echo "$count sandboxes served their own queues concurrently"
}

case ${1-} in
  leaves_host_untouched) leavesHostUntouched ;;
  parallel_cupsd) parallelCupsd "${2:-4}" ;;
  *) echo "usage: $0 leaves_host_untouched | parallel_cupsd [N]" >&2; exit 2 ;;
esac
