# The CUPS version: the server's header through netcat, then cups-config, then the files CUPS installs,
# in that order, each with its own log line. The scheduler is named by the environment, so no probe runs.

# Every source arranged at once; each step takes away the one that answered, so the next answers. The
# package's own netcat beside the program asks the server first (it logs what it was sent), then the
# installed one, where 1.4 is read in single precision; a header ending right after CUPS names no version.
# Without a server: the version tool, digits joined and dots dropped; 1.0.0 collects to 100, which is no
# answer; a line without " v" after its phrase is passed over; the PostScript test page in /etc comes
# before the one in /usr/share, the text one the other way round.
case_version_sources_in_order() {
  SETUP_BIN=/tmp/pkg/bin/setup
  mkdir -p /tmp/pkg/bin /usr/share/doc/cups-1.5 && cp "$SETUP" "$SETUP_BIN"
  write_file /tmp/pkg/bin/qixnc $'#!/bin/sh\necho "$*" >/tmp/qixnc.args\ncat >/tmp/qixnc.request\n'\
$'printf \'HTTP/1.1 400 Bad Request\\r\\nServer: CUPS/25 IPP/2.1\\r\\n\\r\\n\'\n' 755
  fake_command /opt/vyr/bin/qixnc 0 $'HTTP/1.1 200 OK\r\nServer: CUPS/1.4\r\n'
  write_file /etc/cups/printers.conf $'# Printer configuration file for CUPS v1.4.3\n# Written by cupsd\n'
  write_file /usr/share/cups/doc/index.html $'<HTML>\n<HEAD><TITLE>CUPS  1.3.7</TITLE>\n'
  write_file /etc/cups/data/testprint.ps $'%!PS\n(Printed Using CUPS v1.1.23) show\n'
  write_file /usr/share/cups/data/testprint.ps $'(Printed Using CUPS v1.2.0) show\n'
  write_file /usr/share/cups/data/testprint $'This page was Produced by CUPS V1.2.4.\n'
  write_file /etc/cups/data/testprint $'produced by CUPS v1.1\n'
  local step steps=(
    ":|CUPS Header Version : 2500//HTTP"
    "rm /tmp/pkg/bin/qixnc|CUPS Header Version : 1400//HTTP"
    "fake_command /opt/vyr/bin/qixnc 0 $'Server: CUPS\r\nVia: Server: CUPS/2.4\r\n'|CUPS Version : 2420 // 2.4.2"
    "fake_command /usr/bin/cups-config 0 1.0.0|CUPS Version : 1430 // # Printer configuration file for CUPS v1.4.3"
    "remove_command cups-config; sed -i s/v1.4.3// /etc/cups/printers.conf|CUPS Version : 1370// <HEAD><TITLE>CUPS  1.3.7</TITLE>"
    "rm /usr/share/cups/doc/index.html|CUPS Version : 1500// /usr/share/doc/cups-1.5"
    "rmdir /usr/share/doc/cups-1.5|CUPS Version : 1123// (Printed Using CUPS v1.1.23) show"
    "rm /{etc,usr/share}/cups/data/testprint.ps|CUPS Version : 1240// This page was Produced by CUPS V1.2.4."
    "rm /{usr/share,etc}/cups/data/testprint|CUPS Version : 1400// CUPS Version not found. Reset to 1.4"
  )
  for step in "${steps[@]}"; do
    eval "${step%%|*}" && run_setup
    assert_log_contains "CUPS binary dir: "$'\n'"${step#*|}"$'\n'"lpadmin = "
  done
  assert_eq "$(cat /tmp/qixnc.args /tmp/qixnc.request; echo .)" $'localhost 631\nHEAD / HTTP/1.1\nConnection: Close\n\n\n.' \
    "netcat arguments and request"
  assert_no_temp_files
}

# A listener that accepts the connection and never answers: the wait ends after 10 seconds, and the whole
# netcat process group is gone, so the listener sees its connection end.
case_server_never_answers() {
  nc -l 127.0.0.1 631 >/dev/null &
  local listener=$! tries
  for ((tries = 0; tries < 100; tries++)); do ss -ltn | grep -q '127.0.0.1:631 ' && break || sleep 0.05; done
  SECONDS=0
  run_setup
  ((SECONDS >= 9 && SECONDS < 14)) || fail "the run took $SECONDS s"
  assert_log_contains $'CUPS binary dir: \nCUPS Version : 2420 // 2.4.2\n'
  timeout 5 tail --pid="$listener" -f /dev/null || fail "the netcat connection is still open"
}
