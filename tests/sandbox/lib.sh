# Helpers for sandbox scenarios; sourced by tests/sandbox/scenario, inside a sandbox, never on the host.
# Assertions exit 1 naming the scenario line; call them from the case itself, not inside $(...).
# shellcheck disable=SC2034  # for the scenarios
ORVO_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ORVO_BUILD_DIR=${ORVO_BUILD_DIR:-$ORVO_SOURCE_DIR/build}
SETUP=$ORVO_BUILD_DIR/setup
RUN_LOG=/var/log/Orvo4.0_UpdateLog
FAKE_CALLS_DIR=/tmp/fake-calls
CUPSD_PIDFILE=/run/cups/cupsd.pid

_scenario_location() {
  local i
  for ((i = 1; i < ${#BASH_SOURCE[@]}; i++)); do
    if [[ ${BASH_SOURCE[i]} != "${BASH_SOURCE[0]}" ]]; then
      echo "${BASH_SOURCE[i]##*/}:${BASH_LINENO[i - 1]}"
      return
    fi
  done
  echo "?"
}

fail() {
  echo "FAIL ($(_scenario_location)): $1" >&2
  exit 1
}

_show() {
  printf '%s\n' "$1" | sed 's/^/    | /'
}

_sh_quote() {
  printf "'%s'" "${1//\'/\'\\\'\'}"
}

fake_command() {
  local path=$1 status=$2 out=${3-} err=${4-}
  [[ -z $out || $out == *$'\n' ]] || out+=$'\n'
  [[ -z $err || $err == *$'\n' ]] || err+=$'\n'
  # World-writable, so a fake run by cupsd's unprivileged filters can log too.
  mkdir -p "$FAKE_CALLS_DIR"
  chmod 1777 "$FAKE_CALLS_DIR"
  mkdir -p "$(dirname "$path")"
  rm -f "$path"
  {
    echo '#!/bin/sh'
    echo "printf '%s\\n' \"\$*\" >>$(_sh_quote "$FAKE_CALLS_DIR/${path##*/}.log")"
    [[ -z $out ]] || echo "printf '%s' $(_sh_quote "$out")"
    [[ -z $err ]] || echo "printf '%s' $(_sh_quote "$err") >&2"
    echo "exit $status"
  } >"$path"
  chmod 755 "$path"
}

fake_calls() {
  cat "$FAKE_CALLS_DIR/$1.log" 2>/dev/null || true
}

remove_command() {
  local arg path
  for arg in "$@"; do
    if [[ $arg == */* ]]; then
      rm -f "$arg"
    else
      # /bin and /usr/bin may be one directory; -f tolerates the second name of a file already gone.
      for path in $(type -ap "$arg"); do rm -f "$path"; done
    fi
  done
  hash -r
}

write_file() {
  mkdir -p "$(dirname "$1")"
  printf '%s' "$2" >"$1"
  [[ -z ${3-} ]] || chmod "$3" "$1"
}

run_log() {
  [[ -e $RUN_LOG ]] || fail "no run log at $RUN_LOG"
  cat "$RUN_LOG"
}

ask_setup() {
  printf '%s' "$1" >/root/setup.in
  shift
  local status=0 mode=${QIXLPMODE-CUPS}
  local -a env=(env -u QIXLPMODE)
  [[ -z $mode ]] || env=(env "QIXLPMODE=$mode")
  "${env[@]}" timeout 60 "${SETUP_BIN:-$SETUP}" "$@" </root/setup.in >/tmp/setup.out 2>/tmp/setup.err ||
    status=$?
  assert_eq "$status" 0 "exit status of setup $*"
}

run_setup() {
  ask_setup "" "$@"
}

write_info_file() {
  local file=$1 title=$2 dir=$3
  shift 3
  mkdir -p "$(dirname "$file")"
  {
    printf '#\n# %s\n#\n%%%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          %s\n' "$title" "$dir"
    # shellcheck disable=SC2016  # $HOME is written as such
    printf 'HOMEDIR         $HOME\nTMPDIR          /tmp\n%%%%QIXBLOCK_GENERAL_END\n#\n#\n%%%%QIXBLOCK_PRINTERS_BEGIN\n'
    (($# == 0)) || printf '%s\n' "$@"
    printf '%%%%QIXBLOCK_PRINTERS_END\n#\n#\n%%%%QIXBLOCK_USERS_BEGIN\nroot\n%%%%QIXBLOCK_USERS_END\n#\n#\n'
    printf '%%%%QIXBLOCK_PRNT_BEGIN Default\nroot\n%%%%QIXBLOCK_PRNT_END Default\n#\n#\n%%%%QIXEND\n'
  } >"$file"
}

_cupsd_answers() {
  timeout 2 lpstat -h 127.0.0.1:631 -r 2>/dev/null | grep -q '^scheduler is running'
}

_process_alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) && [[ $state != Z ]]
}

# Runs in the foreground mode so its PID is known; the PID file is where the init script looks for it,
# so a scenario's "/etc/init.d/cups restart" stops this scheduler rather than starting a second one.
start_cupsd() {
  ! _cupsd_answers || fail "start_cupsd: a scheduler already answers on 127.0.0.1:631"
  mkdir -p /run/cups/certs /var/log/cups
  /usr/sbin/cupsd -f </dev/null >>/var/log/cups/sandbox-cupsd.out 2>&1 &
  local pid=$! tries
  echo "$pid" >"$CUPSD_PIDFILE"
  for ((tries = 0; tries < 200; tries++)); do
    _cupsd_answers && return 0
    _process_alive "$pid" || break
    sleep 0.05
  done
  echo "--- /var/log/cups/error_log:" >&2
  tail -n 20 /var/log/cups/error_log /var/log/cups/sandbox-cupsd.out >&2 2>/dev/null || true
  fail "start_cupsd: cupsd did not answer on 127.0.0.1:631 within 10 s"
}

add_queue() {
  local out
  out=$(lpadmin -p "$1" -E -v socket://127.0.0.1:9100 -P "$2" 2>&1) ||
    fail "add_queue: lpadmin could not add $1 from $2: $out"
}

assert_eq() {
  [[ $1 == "$2" ]] && return 0
  echo "${3:-value} differs; expected:" >&2
  _show "$2" >&2
  echo "actual:" >&2
  _show "$1" >&2
  fail "assert_eq"
}

assert_contains() {
  [[ $1 == *"$2"* ]] && return 0
  echo "text:" >&2
  _show "$1" >&2
  fail "text lacks '$2'"
}

assert_not_contains() {
  [[ $1 != *"$2"* ]] && return 0
  echo "text:" >&2
  _show "$1" >&2
  fail "text holds '$2'"
}

assert_file_exists() {
  local path
  for path in "$@"; do [[ -e $path || -L $path ]] || fail "no file $path"; done
}

assert_no_file() {
  local path
  for path in "$@"; do [[ ! -e $path && ! -L $path ]] || fail "file $path exists"; done
}

assert_log_contains() {
  local log
  log=$(run_log) || exit 1
  [[ $log == *"$1"* ]] && return 0
  echo "run log:" >&2
  _show "$log" >&2
  fail "run log lacks '$1'"
}

assert_log_lacks() {
  local log needle
  log=$(run_log) || exit 1
  for needle in "$@"; do assert_not_contains "$log" "$needle"; done
}

assert_log_order() {
  local log rest needle previous="the start"
  log=$(run_log) || exit 1
  rest=$log
  for needle in "$@"; do
    if [[ $rest != *"$needle"* ]]; then
      echo "run log:" >&2
      _show "$log" >&2
      fail "run log lacks '$needle' after '$previous'"
    fi
    rest=${rest#*"$needle"}
    previous=$needle
  done
}

assert_no_temp_files() {
  assert_eq "$(find /tmp -maxdepth 1 \( -name 'qixin*' -o -name 'qixot*' -o -name 'QIX*' \))" "" \
    "temporary files left in /tmp"
}

# --- the sample package and queues on its older PPDs -----------------------------------------------------
# For the e2e install scenarios and scripts/demo. old_ppd writes a PPD of model-table row ROW as earlier
# generations shipped it (VERSION "none": no marker). assert_queue_refreshed: on the new PPD, old one kept as
# .rpmsave, defaults as given. container_service_manager: systemctl fails as where systemd is not PID 1 (the
# real one does nothing in a chroot), so a restart falls back to /etc/init.d/cups and really restarts cupsd.

OLD_PPD_DIR=/tmp/old-ppds
PPDS_BEFORE=/tmp/ppds-before

model_name() {
  "$ORVO_BUILD_DIR/model_rows" | awk -F'\t' -v row="$1" '$1 == row { print $3 }'
}

old_ppd() {
  local path=$1 row=$2 pdl=$3 version=$4 model
  shift 4
  model=$(model_name "$row")
  [[ -n $model ]] || fail "old_ppd: no row $row in the model table"
  mkdir -p "$(dirname "$path")"
  "$ORVO_BUILD_DIR/ppdgen" --model "$model" --pdl "$pdl" --version "$version" "$@" -o "$path" ||
    fail "old_ppd: ppdgen could not write $path"
}

make_old_queue() {
  local name=$1
  old_ppd "$OLD_PPD_DIR/$name.ppd" "$2" "$3" "$4"
  shift 4
  add_queue "$name" "$OLD_PPD_DIR/$name.ppd"
  (($# == 0)) || set_queue_defaults "$name" "$@"
}

set_queue_defaults() {
  local name=$1 pair out
  shift
  local -a args=()
  for pair in "$@"; do args+=(-o "$pair"); done
  out=$(lpadmin -p "$name" "${args[@]}" 2>&1) || fail "set_queue_defaults: lpadmin -p $name $*: $out"
}

queue_default() {
  lpoptions -p "$1" -l 2>/dev/null | awk -v option="$2" '
    { split($0, head, ":"); split(head[1], key, "/") }
    key[1] == option { for (i = 2; i <= NF; i++) if ($i ~ /^\*/) print substr($i, 2) }'
}

queue_state() {
  lpstat -p "$1" 2>&1 | sed -n 1p
}

unpack_package() {
  local dir=${1:-/tmp/pkg} tarball=$ORVO_BUILD_DIR/dist/orvo-4.0-0.tar.gz
  [[ -f $tarball ]] || fail "unpack_package: no $tarball (the build's sample_package target makes it)"
  mkdir -p "$dir"
  tar -C "$dir" -xzf "$tarball" || fail "unpack_package: cannot unpack $tarball"
  PACKAGE_DIR=$dir/orvo-4.0-0
}

run_package_setup() {
  [[ -n ${PACKAGE_DIR-} ]] || fail "run_package_setup: unpack_package first"
  SCHEDULER_PID=$(cat "$CUPSD_PIDFILE" 2>/dev/null || true)
  SETUP_STATUS=0
  (cd "$PACKAGE_DIR" && exec bin/setup "$@") >/tmp/setup.out 2>/tmp/setup.err || SETUP_STATUS=$?
}

container_service_manager() {
  fake_command /usr/bin/systemctl 1 "" \
    "System has not been booted with systemd as init system (PID 1). Can't operate."
  # /bin may be /usr/bin; a second systemctl elsewhere on PATH would shadow the fake.
  local path
  for path in $(type -ap systemctl); do [[ $path -ef /usr/bin/systemctl ]] || rm -f "$path"; done
  hash -r
}

wait_for_scheduler() {
  local deadline=$((SECONDS + 10))
  until _cupsd_answers; do
    ((SECONDS < deadline)) || fail "no scheduler answers on 127.0.0.1:631"
    sleep 0.1
  done
}

save_ppds() {
  rm -rf "$PPDS_BEFORE"
  mkdir -p "$PPDS_BEFORE"
  cp -p /etc/cups/ppd/* "$PPDS_BEFORE/"
}

assert_queue_refreshed() {
  local name=$1 pair ppd=/etc/cups/ppd/$1.ppd backup=/etc/cups/$1.ppd.rpmsave
  shift
  assert_contains "$(queue_state "$name")" "printer $name is idle.  enabled since"
  grep -qxF '*% Orvo version: 4.0' "$ppd" || fail "$ppd does not carry the marker 4.0"
  cmp -s "$backup" "$PPDS_BEFORE/$name.ppd" || fail "$backup is not the old PPD of $name"
  assert_eq "$(grep '^\*ModelName:' "$ppd")" "$(grep '^\*ModelName:' "$backup")" "model of $name"
  for pair in "$@"; do
    assert_eq "$(queue_default "$name" "${pair%%=*}")" "${pair#*=}" "default ${pair%%=*} of $name"
  done
}

assert_queue_untouched() {
  cmp -s "/etc/cups/ppd/$1.ppd" "$PPDS_BEFORE/$1.ppd" || fail "the PPD of $1 changed"
  assert_no_file "/etc/cups/$1.ppd.rpmsave"
}

assert_cups_restarts() {
  local done_count pid
  done_count=$(grep -c '^CUPS reset returned with: 0$' "$RUN_LOG" || true)
  assert_eq "$done_count" "$1" "successful CUPS restarts"
  ((${1} > 0)) || return 0
  wait_for_scheduler
  pid=$(cat "$CUPSD_PIDFILE" 2>/dev/null || true)
  [[ -n $pid && $pid != "${SCHEDULER_PID-}" ]] || fail "the scheduler was not restarted (pid ${pid:-none})"
  _process_alive "$pid" || fail "the restarted scheduler (pid $pid) does not run"
}

assert_clean_finish() {
  assert_eq "${SETUP_STATUS-}" 0 "exit status of setup"
  local last
  last=$(tail -n 1 "$RUN_LOG")
  [[ $last == "Finishing Orvo 4.0-0 installation : "* ]] || fail "the run log ends with: $last"
  assert_no_temp_files
  wait_for_scheduler
}

install_from_package() {
  save_ppds
  [[ -n ${PACKAGE_DIR-} ]] || unpack_package
  run_package_setup "$@"
  assert_clean_finish
}
