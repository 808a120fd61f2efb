# The terminal prompts as a person meets them, answers typed on standard input of setup -q 1: the yes/no
# prompt through the install question, the four-way prompt through the per-printer question.

# shellcheck source=printer_refresh.sh
source "$ORVO_SOURCE_DIR/tests/system/printer_refresh.sh"

INSTALL_PROMPT=$'Would you like to install Orvo 4.0-0?\nAnswer with y[es] or n[o], followed by <RETURN> please. '
PRINTER_HINT=$'\nAnswer with y[es], n[o], or a[ll] = \'yes\' for all printers,\nor b[reak] for none, followed by <RETURN> please. '
# Answers each prompt takes alike, and how each prompt takes them.
# The whole table is in the unit tests; here its edges through the real binary.
COMMON_ROWS=("Y|Yes" "o|Yes" "yes or no|Yes" "n|No" "no, all|No" "j|Unrecognised" "|Unrecognised")
ALL_WORDS=(a tutti)

# The install went ahead (Yes) or was abandoned (any other answer).
assert_install_outcome() {
  local expected=$1 what=$2
  if [[ $expected == Yes ]]; then
    assert_eq "$(cat /tmp/setup.err)" "" "standard error ($what)"
    assert_file_exists /opt/vyr/bin/setup
    assert_log_lacks "Program abandoned by user."
  else
    assert_eq "$(cat /tmp/setup.err; echo .)" $'Program abandoned by user.\n\n.' "standard error ($what)"
    assert_no_file /opt/vyr/bin/setup
  fi
}

case_yes_no_answers() {
  make_package
  local row answer expected word
  local -a rows=("${COMMON_ROWS[@]}" $'y\r|Yes' "b|Unrecognised" "break|Unrecognised")
  for word in "${ALL_WORDS[@]}"; do rows+=("$word|Unrecognised"); done
  for row in "${rows[@]}"; do
    answer=${row%|*} expected=${row##*|}
    reset_machine
    ask_setup "$answer"$'\n' -q 1
    assert_eq "$(cat /tmp/setup.out)" "$INSTALL_PROMPT" "prompt for '$answer'"
    assert_install_outcome "$expected" "answer '$answer'"
  done
}

# Two queues; the answer under test goes to the first printer's question, "n" to the second's if asked.
# Yes and Unrecognised refresh the first printer only, All refreshes both without asking again, No
# skips the first, Break stops there and the refresh does not restart CUPS.
case_four_way_answers() {
  make_package
  old_queue one
  old_queue two
  local row answer expected first second refreshed questions restarts word
  local -a rows=("${COMMON_ROWS[@]}" "A|All" "b|Break" "B|Break")
  for word in "${ALL_WORDS[@]}"; do rows+=("$word|All"); done
  rows+=("maybe later|Unrecognised")
  for row in "${rows[@]}"; do
    answer=${row%|*} expected=${row##*|}
    reset_machine
    ask_setup $'y\n'"$answer"$'\nn\n' -q 1
    read -r first second <<<"$(listed_queues | xargs)"
    case $expected in
      Yes | Unrecognised) refreshed=$first questions=2 restarts=2 ;;
      No) refreshed="" questions=2 restarts=2 ;;
      All) refreshed="$first $second" questions=1 restarts=2 ;;
      Break) refreshed="" questions=1 restarts=1 ;;
    esac
    assert_eq "$(refreshed_queues | xargs)" "$refreshed" "queues refreshed after '$answer' ($expected)"
    assert_eq "$(printer_questions)" "$questions" "questions after '$answer'"
    assert_eq "$(restart_count)" "$restarts" "CUPS restarts after '$answer'"
    assert_contains "$(cat /tmp/setup.out)" "$INSTALL_PROMPT""Do you want to update printer: $first? $PRINTER_HINT"
  done
  # The PPDs follow the log: after the last row (Unrecognised) the first queue is refreshed, the second not.
  assert_refreshed "$first"
  assert_not_refreshed "$second"
}

# A closed or exhausted standard input answers at once, as an unrecognised answer; and the question is on
# standard output (a file here, so only an explicit flush puts it there) while setup waits for the answer.
case_question_comes_first_and_closed_input_is_unrecognised() {
  make_package
  old_queue one
  old_queue two
  local started=$SECONDS
  run_setup -q 1
  assert_eq "$(cat /tmp/setup.out)" "$INSTALL_PROMPT" "prompt"
  assert_install_outcome No "closed input"

  # The install answer is the last line, without its line end: the printer questions find the input at
  # its end, and both printers are refreshed.
  reset_machine
  ask_setup y -q 1
  assert_install_outcome Yes "input ending after 'y'"
  assert_eq "$(printer_questions)" 2 "printer questions"
  assert_eq "$(refreshed_queues)" "$(listed_queues)" "queues refreshed"
  assert_refreshed one
  assert_refreshed two
  ((SECONDS - started < 20)) || fail "the runs took $((SECONDS - started)) s: a prompt waited"

  reset_machine
  mkfifo /root/input
  QIXLPMODE=CUPS "$PKG/setup" -q 1 </root/input >/tmp/setup.out 2>/tmp/setup.err &
  local pid=$! tries
  exec 3>/root/input
  for ((tries = 0; tries < 200; tries++)); do
    [[ $(cat /tmp/setup.out) != "$INSTALL_PROMPT" ]] || break
    sleep 0.05
  done
  assert_eq "$(cat /tmp/setup.out)" "$INSTALL_PROMPT" "prompt while setup waits"
  kill -0 "$pid" 2>/dev/null || fail "setup did not wait for the answer"
  printf 'n\n' >&3
  exec 3>&-
  wait "$pid" || fail "setup exited with $?"
  assert_install_outcome No "answer after the prompt"
}
