# Helpers for sandbox scenarios; sourced by tests/sandbox/scenario, inside a sandbox, never on the host.
#
# Arranging the machine:
#   fake_command PATH STATUS [STDOUT] [STDERR]  replace a command by a script that logs its arguments,
#                                               prints the texts (each ending in a newline) and exits STATUS
#   fake_calls NAME                             the argument lines logged by fake command NAME, one per call
#   remove_command PATH|NAME...                 delete commands (a bare NAME: every one of that name on PATH)
#   write_file PATH CONTENT [MODE]              write CONTENT exactly (no newline added), making parent dirs
#   start_cupsd / stop_cupsd                    the real scheduler, private to this sandbox, on 127.0.0.1:631
#   add_queue NAME PPD                          a queue on a socket device using PPD
#   run_log                                     print the setup run log
# Asserting (on failure: a message naming the scenario line, then exit 1; call them from the case itself,
# not from inside $(...), where exit would only leave the subshell):
#   assert_eq ACTUAL EXPECTED [WHAT]    assert_contains TEXT NEEDLE    assert_not_contains TEXT NEEDLE
#   assert_file_exists PATH             assert_no_file PATH            assert_log_contains NEEDLE
#   assert_log_order NEEDLE...          fail MESSAGE
# Variables: ORVO_SOURCE_DIR, ORVO_BUILD_DIR, SETUP (the setup binary), RUN_LOG, FAKE_CALLS_DIR.

# shellcheck disable=SC2034  # for the scenarios
ORVO_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ORVO_BUILD_DIR=${ORVO_BUILD_DIR:-$ORVO_SOURCE_DIR/build}
SETUP=$ORVO_BUILD_DIR/setup
RUN_LOG=/var/log/Orvo4.0_UpdateLog
FAKE_CALLS_DIR=/tmp/fake-calls
CUPSD_PIDFILE=/run/cups/cupsd.pid

# --- failing ---------------------------------------------------------------------------------------------

# The first caller outside this file is the scenario line that failed.
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

# Multi-line values are shown indented below the message, so their boundaries stay visible.
_show() {
  printf '%s\n' "$1" | sed 's/^/    | /'
}

# --- arranging the machine -------------------------------------------------------------------------------

# Single-quotes $1 for /bin/sh.
_sh_quote() {
  printf "'%s'" "${1//\'/\'\\\'\'}"
}

fake_command() {
  (($# >= 2 && $# <= 4)) || fail "usage: fake_command PATH STATUS [STDOUT] [STDERR]"
  local path=$1 status=$2 out=${3-} err=${4-}
  if [[ ! $status =~ ^[0-9]{1,3}$ ]] || ((10#$status > 255)); then fail "fake_command: bad status '$status'"; fi
  # Output is line-oriented like a real command's: a newline ends it unless given.
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
  (($# == 1)) || fail "usage: fake_calls NAME"
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
  (($# == 2 || $# == 3)) || fail "usage: write_file PATH CONTENT [MODE]"
  mkdir -p "$(dirname "$1")"
  printf '%s' "$2" >"$1"
  [[ -z ${3-} ]] || chmod "$3" "$1"
}

run_log() {
  [[ -e $RUN_LOG ]] || fail "no run log at $RUN_LOG"
  cat "$RUN_LOG"
}

# --- CUPS ------------------------------------------------------------------------------------------------

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

stop_cupsd() {
  local pid tries
  pid=$(cat "$CUPSD_PIDFILE" 2>/dev/null) || fail "stop_cupsd: no cupsd was started"
  kill -TERM "$pid" 2>/dev/null || true
  for ((tries = 0; tries < 200; tries++)); do
    if ! _process_alive "$pid"; then
      rm -f "$CUPSD_PIDFILE"
      return 0
    fi
    sleep 0.05
  done
  fail "stop_cupsd: cupsd (pid $pid) still runs 10 s after SIGTERM"
}

add_queue() {
  (($# == 2)) || fail "usage: add_queue NAME PPD"
  local out
  out=$(lpadmin -p "$1" -E -v socket://127.0.0.1:9100 -P "$2" 2>&1) ||
    fail "add_queue: lpadmin could not add $1 from $2: $out"
}

# --- asserting -------------------------------------------------------------------------------------------

assert_eq() {
  (($# == 2 || $# == 3)) || fail "usage: assert_eq ACTUAL EXPECTED [WHAT]"
  [[ $1 == "$2" ]] && return 0
  echo "${3:-value} differs; expected:" >&2
  _show "$2" >&2
  echo "actual:" >&2
  _show "$1" >&2
  fail "assert_eq"
}

assert_contains() {
  (($# == 2)) || fail "usage: assert_contains TEXT NEEDLE"
  [[ $1 == *"$2"* ]] && return 0
  echo "text:" >&2
  _show "$1" >&2
  fail "text lacks '$2'"
}

assert_not_contains() {
  (($# == 2)) || fail "usage: assert_not_contains TEXT NEEDLE"
  [[ $1 != *"$2"* ]] && return 0
  echo "text:" >&2
  _show "$1" >&2
  fail "text holds '$2'"
}

assert_file_exists() {
  [[ -e $1 || -L $1 ]] || fail "no file $1"
}

assert_no_file() {
  [[ ! -e $1 && ! -L $1 ]] || fail "file $1 exists"
}

assert_log_contains() {
  local log
  log=$(run_log) || exit 1
  [[ $log == *"$1"* ]] && return 0
  echo "run log:" >&2
  _show "$log" >&2
  fail "run log lacks '$1'"
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
