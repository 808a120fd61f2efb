# The CUPS version: the server's header through netcat, then cups-config, then the files CUPS installs,
# in that order, each with its own log line. The scheduler is named by the environment, so no probe runs.

# The version line as logged, line end included, and what the run logs next.
assert_version_line() {
  assert_log_contains "CUPS binary dir: "$'\n'"$1"$'\n'"lpadmin = "
}

# Every source arranged at once; each step takes away the one that answered, so the next answers. Without a
# server: the version tool, digits joined and dots dropped; 1.0.0 collects to 100, which is no answer; a
# line without " v" after its phrase is passed over; the PostScript test page in /etc comes before the one
# in /usr/share, the text one the other way round.
case_version_sources_in_order() {
  write_file /etc/cups/printers.conf $'# Printer configuration file for CUPS v1.4.3\n# Written by cupsd\n'
  write_file /usr/share/cups/doc/index.html $'<HTML>\n<HEAD><TITLE>CUPS  1.3.7</TITLE>\n'
  mkdir -p /usr/share/doc/cups-1.5
  write_file /etc/cups/data/testprint.ps $'%!PS\n(Printed Using CUPS v1.1.23) show\n'
  write_file /usr/share/cups/data/testprint.ps $'(Printed Using CUPS v1.2.0) show\n'
  write_file /usr/share/cups/data/testprint $'This page was Produced by CUPS V1.2.4.\n'
  write_file /etc/cups/data/testprint $'produced by CUPS v1.1\n'
  local step
  local -a steps=(
    ":|CUPS Version : 2420 // 2.4.2"
    "fake_command /usr/bin/cups-config 0 1.0.0|CUPS Version : 1430 // # Printer configuration file for CUPS v1.4.3"
    "remove_command cups-config; write_file /etc/cups/printers.conf '# Printer configuration file for CUPS'|CUPS Version : 1370// <HEAD><TITLE>CUPS  1.3.7</TITLE>"
    "rm /usr/share/cups/doc/index.html|CUPS Version : 1500// /usr/share/doc/cups-1.5"
    "rmdir /usr/share/doc/cups-1.5|CUPS Version : 1123// (Printed Using CUPS v1.1.23) show"
    "rm /etc/cups/data/testprint.ps /usr/share/cups/data/testprint.ps|CUPS Version : 1240// This page was Produced by CUPS V1.2.4."
    "rm /usr/share/cups/data/testprint /etc/cups/data/testprint|CUPS Version : 1400// CUPS Version not found. Reset to 1.4"
  )
  for step in "${steps[@]}"; do
    eval "${step%%|*}" && run_setup
    assert_version_line "${step#*|}"
  done
  assert_eq "$(fake_calls cups-config)" "--version" "cups-config calls"
  assert_no_temp_files
}

# The package's own netcat beside the program asks the server first (it logs what it was sent), then the
# installed one, where 1.4 is read in single precision; a header ending right after CUPS names no version.
case_server_header() {
  mkdir -p /tmp/pkg/bin && cp "$SETUP" /tmp/pkg/bin/setup
  write_file /tmp/pkg/bin/qixnc $'#!/bin/sh\necho "$*" >/tmp/qixnc.args\ncat >/tmp/qixnc.request\nprintf \'HTTP/1.1 400 Bad Request\\r\\nServer: CUPS/25 IPP/2.1\\r\\n\\r\\n\'\n' 755
  fake_command /opt/vyr/bin/qixnc 0 $'HTTP/1.1 200 OK\r\nServer: CUPS/1.4\r\n'
  local SETUP_BIN=/tmp/pkg/bin/setup
  run_setup
  assert_version_line "CUPS Header Version : 2500//HTTP"
  assert_eq "$(cat /tmp/qixnc.args; cat /tmp/qixnc.request; echo .)" $'localhost 631\nHEAD / HTTP/1.1\nConnection: Close\n\n\n.' "netcat arguments and request"
  assert_eq "$(fake_calls qixnc)" "" "calls of /opt/vyr/bin/qixnc"
  rm /tmp/pkg/bin/qixnc && run_setup
  assert_version_line "CUPS Header Version : 1400//HTTP"
  fake_command /opt/vyr/bin/qixnc 0 $'HTTP/1.1 200 OK\r\nServer: CUPS\r\nX-Note: Server: CUPS/2.4\r\n'
  run_setup
  assert_version_line "CUPS Version : 2420 // 2.4.2"
}

# A listener that accepts the connection and never answers: the wait ends after 10 seconds, and the whole
# netcat process group is gone, so the listener sees its connection end.
case_server_never_answers() {
  nc -l 127.0.0.1 631 >/tmp/listener.out &
  local listener=$! tries start
  for ((tries = 0; tries < 100; tries++)); do ss -ltn 2>/dev/null | grep -q '127.0.0.1:631 ' && break || sleep 0.05; done
  start=$(date +%s%N)
  run_setup
  local ms=$((($(date +%s%N) - start) / 1000000))
  assert_version_line "CUPS Version : 2420 // 2.4.2"
  assert_contains "$(cat /tmp/listener.out)" "HEAD / HTTP/1.1"
  ((ms >= 9500 && ms < 14000)) || fail "the run took $ms ms"
  for ((tries = 0; tries < 100; tries++)); do kill -0 "$listener" 2>/dev/null && sleep 0.05 || break; done
  kill -0 "$listener" 2>/dev/null && fail "the netcat connection is still open"
  assert_eq "$(pgrep -c -x nc || true)" 0 "netcat processes left"
}
