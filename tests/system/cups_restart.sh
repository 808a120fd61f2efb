# Restarting CUPS at the end of an install run with no queues to refresh, so the run restarts exactly
# once: the service manager first, then the service command and the init scripts, each a fake here.

# shellcheck source=../sandbox/fixtures.sh
source "$ORVO_SOURCE_DIR/tests/sandbox/fixtures.sh"

# A failing method falls back to the first one present, in the order systemctl, service, cups, cupsys;
# only that one runs, and the log shows each outcome. With none left the status stays the failed one.
case_restart_methods_tried_in_order() {
  make_package
  local row methods expected calls name word
  # methods present as PATH:STATUS | the log lines after the list of PPDs to install, ";" for a line end |
  # calls, sorted
  local -a rows=(
    "/usr/bin/systemctl:0 /usr/sbin/service:0 /etc/init.d/cups:0 /etc/init.d/cupsys:0|S;0|systemctl restart cups.service"
    "/usr/bin/systemctl:1 /usr/sbin/service:3 /etc/init.d/cups:0 /etc/init.d/cupsys:0|S;256;768|service cups restart;systemctl restart cups.service"
    "/usr/bin/systemctl:1 /etc/init.d/cups:0 /etc/init.d/cupsys:5|S;256;0|cups restart;systemctl restart cups.service"
    "/usr/bin/systemctl:1|S;256;Cannot reset CUPS. Sorry!;256|systemctl restart cups.service"
    "/etc/init.d/cupsys:1|-1;256|cupsys restart"
    "|-1;Cannot reset CUPS. Sorry!;-1|"
  )
  for row in "${rows[@]}"; do
    IFS='|' read -r methods expected calls <<<"$row"
    # Every copy the command locator could find goes, and the calls of the row before.
    remove_command systemctl service /etc/init.d/cups /etc/init.d/cupsys "$FAKE_CALLS_DIR"/*.log
    for word in $methods; do fake_command "${word%:*}" "${word##*:}"; done
    run_setup
    expected=$(tr ';' '\n' <<<"$expected" | sed -e 's#^S$#CUPS restart command:"/usr/bin/systemctl restart cups.service"#' \
      -e 's/^-\{0,1\}[0-9]*$/CUPS reset returned with: &/')
    assert_eq "$(run_log | sed -n '/^List of Ostra PPD files to install/,$p' | sed '1d;$s/ : .*//')" \
      "$expected"$'\nFinishing Orvo 4.0-0 installation' "restart lines with $methods"
    for name in systemctl service cups cupsys; do fake_calls "$name" | sed "s/^/$name /"; done | sort >/root/calls
    assert_eq "$(cat /root/calls)" "$(tr ';' '\n' <<<"$calls")" "restart commands run with $methods"
  done
}
