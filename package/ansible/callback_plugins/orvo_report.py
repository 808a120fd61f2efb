# Rollout report of the Orvo playbook: at the end of every play, one HTML page and one CSV file on the
# controller with a row per server of the play's hosts, in inventory order.
from __future__ import annotations

import csv
import html
import io
import os
import time

from ansible import context
from ansible.plugins.callback import CallbackBase

DOCUMENTATION = """
    name: orvo_report
    type: aggregate
    short_description: writes an HTML and a CSV report of an Orvo rollout
    description:
      - At the end of every play (check mode included) writes C(orvo-rollout-<UTC time>.html) and C(.csv)
        into the directory named by the variable C(orvo_report_dir), by default C(reports) beside the
        playbook (a relative path is taken from the playbook's directory).
      - One row per host of the play in inventory order, with its outcome, the package state, the queues by
        outcome, the defaults not carried and why, the reasons of a failure, its batch and when it ran.
        Hosts left out with --limit are not listed.
    requirements:
      - enabled in ansible.cfg (callbacks_enabled)
"""

# Outcomes in the order the headline counts them; stopped appears only when a host has it.
OUTCOMES = ("changed", "would change", "failed", "ok", "unreachable", "not reached", "stopped")
NOT_REACHED = "not reached: an earlier batch failed beyond max_fail_percentage, the rollout stopped"
STOPPED = "stopped before its end: its batch failed beyond max_fail_percentage"
QUEUE_ORDER = ("refreshed", "would refresh", "rolled back", "deleted", "skipped", "failed")
STYLE = """
body{font:14px/1.4 sans-serif;margin:1.5em;color:#111}
h1{font-size:1.4em;margin:0 0 .2em}
p.meta{color:#444;margin:0 0 1em}
ul.counts{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:.5em}
ul.counts li{border:1px solid #999;border-radius:4px;padding:.3em .8em}
ul.counts b{font-size:1.3em;margin-right:.3em}
table{border-collapse:collapse;width:100%}
th,td{border:1px solid #bbb;padding:.3em .5em;text-align:left;vertical-align:top}
th{background:#eee}
td ul{margin:0;padding-left:1.1em}
.changed,.would-change{background:#dbeafe}
.failed,.stopped{background:#fecaca}
.ok{background:#dcfce7}
.unreachable,.not-reached{background:#fde68a}
td.outcome{font-weight:bold;white-space:nowrap}
"""
# Nothing on the page may load anything: no scripts, images, fonts or style sheets from anywhere.
CSP = "default-src 'none'; style-src 'unsafe-inline'"


def _text(value):
    return "" if value is None else str(value)


def _csv_cell(value):
    """Text for a CSV cell; a cell a spreadsheet would take for a formula is quoted as text."""
    text = _text(value)
    return "'" + text if text[:1] in ("=", "+", "-", "@", "\t", "\r") else text


def _yes_no(value):
    return {True: "yes", False: "no"}.get(value, "unknown")


class HostRow:
    """What the play did on one host."""

    def __init__(self, name):
        self.name = name
        self.batch = None
        self.started = None
        self.finished = None
        self.outcome = None  # from the role's report, or the host's own failure
        self.reasons = []
        self.package = None
        self.queues = []
        self.restart_pending = None
        self.any_changed = False

    def queue_lines(self):
        """Queue names by outcome: 'refreshed: a, b'; a queue the scheduler does not serve yet is marked."""
        by_outcome = {}
        for queue in self.queues:
            name = _text(queue.get("name"))
            if "served" in queue and queue.get("outcome") in ("refreshed", "rolled back"):
                name += " (served: %s)" % _yes_no(queue.get("served"))
            if queue.get("reason"):
                name += " (%s)" % queue["reason"]
            by_outcome.setdefault(_text(queue.get("outcome")), []).append(name)
        order = list(QUEUE_ORDER) + sorted(set(by_outcome) - set(QUEUE_ORDER))
        return ["%s: %s" % (outcome, ", ".join(by_outcome[outcome])) for outcome in order if outcome in by_outcome]

    def kept_lines(self):
        """The defaults not carried: queue, option, the old value, the value kept and why."""
        return ["%s %s: %s kept, %s %s" % (_text(queue.get("name")), _text(kept.get("option")), _text(kept.get("value")),
                                           _text(kept.get("old")), _text(kept.get("reason")))
                for queue in self.queues for kept in queue.get("kept") or []]

    def duration(self):
        return "" if self.started is None else "%.1f" % (self.finished - self.started)


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = "aggregate"
    CALLBACK_NAME = "orvo_report"
    CALLBACK_NEEDS_ENABLED = True

    def __init__(self):
        super().__init__()
        self._run_time = time.gmtime()
        self._playbook_dir = os.getcwd()
        self._play = None
        self._play_count = 0
        self._batches = 0
        self._stopped = False
        self._rows = {}

    # Events

    def v2_playbook_on_start(self, playbook):
        self._playbook_dir = os.path.abspath(playbook._basedir)

    def v2_playbook_on_play_start(self, play):
        # Sent once per batch of a play that runs in batches.
        if self._play is None or self._play._uuid != play._uuid:
            self._write_report()
            self._start_play(play)
        self._batches += 1
        for host in self._inventory.get_hosts(play.hosts, order=play.order):
            self._row(host.name).batch = self._row(host.name).batch or self._batches

    def v2_playbook_on_no_hosts_remaining(self):
        self._stopped = True

    def v2_playbook_on_stats(self, stats):
        self._write_report()

    def v2_runner_on_start(self, host, task):
        row = self._row(host.get_name())
        if row.started is None:
            row.started = time.time()
        row.batch = row.batch or self._batches

    def v2_runner_on_ok(self, result):
        self._result(result, failed=False)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._result(result, failed=not ignore_errors)

    def v2_runner_on_unreachable(self, result):
        row = self._finish(result)
        row.outcome = "unreachable"
        row.reasons = [_text(result._result.get("msg")).strip() or "the host did not answer"]

    # Collection

    def _start_play(self, play):
        self._play = play
        self._play_count += 1
        self._batches = 0
        self._stopped = False
        self._inventory = play.get_variable_manager()._inventory
        self._extra_vars = play.get_variable_manager().extra_vars
        self._play_vars = play.vars
        # Every host the play targets (--limit applied, batches not), in inventory order.
        hosts = self._inventory.get_hosts(play.hosts, order=play.order, ignore_restrictions=True)
        self._rows = {host.name: HostRow(host.name) for host in hosts}

    def _row(self, name):
        return self._rows.setdefault(name, HostRow(name))

    def _finish(self, result):
        row = self._row(result._host.get_name())
        row.finished = time.time()
        if row.started is None:
            row.started = row.finished
        return row

    def _result(self, result, failed):
        row = self._finish(result)
        data = result._result
        row.any_changed = row.any_changed or bool(data.get("changed"))
        message = data.get("msg")
        if isinstance(message, dict) and "outcome" in message and "queues" in message:
            # The role's own account of the run.
            row.outcome = "failed" if failed else _text(message.get("outcome"))
            row.reasons = [_text(reason) for reason in message.get("reasons") or []]
            if row.outcome not in OUTCOMES:  # e.g. "not previewed: ...", which changed nothing
                row.reasons.insert(0, row.outcome)
                row.outcome = "ok"
            row.package = message.get("package")
            row.queues = [queue for queue in message.get("queues") or [] if isinstance(queue, dict)]
            # A template gives "" for a field the result does not have.
            row.restart_pending = {"true": True, "false": False}.get(_text(message.get("restart_pending")).lower())
        elif failed:
            row.outcome = "failed"
            row.reasons = ["%s: %s" % (result._task.get_name(), _text(message or data.get("stderr")).strip())]

    def _outcome(self, row):
        """The outcome word of a host and, when the host has no reasons of its own, why."""
        if row.outcome is not None:
            return row.outcome, row.reasons
        if row.batch is None:
            return "not reached", [NOT_REACHED]
        if self._stopped:
            return "stopped", [STOPPED]
        if row.any_changed:
            return ("would change" if context.CLIARGS.get("check") else "changed"), []
        return "ok", []

    # Output

    def _report_dir(self):
        directory = self._extra_vars.get("orvo_report_dir") or self._play_vars.get("orvo_report_dir") or "reports"
        return os.path.join(self._playbook_dir, os.path.expanduser(_text(directory)))

    def _table(self):
        """Header and rows, every cell text; optional columns only when some host reported them."""
        rows = list(self._rows.values())
        served = any("served" in queue for row in rows for queue in row.queues)
        pending = any(row.restart_pending is not None for row in rows)
        header = ["host", "outcome", "package", "queues", "defaults not carried", "reasons", "batch", "started (UTC)",
                  "seconds"] + (["scheduler serves new PPDs"] if served else []) + (["restart pending"] if pending else [])
        table = []
        for row in rows:
            outcome, reasons = self._outcome(row)
            cells = [row.name, outcome, _text(row.package), row.queue_lines(), row.kept_lines(), reasons,
                     _text(row.batch or ""),
                     "" if row.started is None else time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(row.started)),
                     row.duration()]
            if served:
                states = [queue.get("served") for queue in row.queues if "served" in queue]
                cells.append(", ".join("%d %s" % (states.count(state), _yes_no(state))
                                       for state in (True, False, None) if state in states))
            if pending:
                cells.append("" if row.restart_pending is None else _yes_no(row.restart_pending))
            table.append(cells)
        return header, table

    def _html(self, header, table, title):
        counts = {outcome: 0 for outcome in OUTCOMES}
        for cells in table:
            counts[cells[1]] = counts.get(cells[1], 0) + 1
        out = io.StringIO()
        esc = html.escape
        out.write('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">\n'
                  '<meta http-equiv="Content-Security-Policy" content="%s">\n<title>%s</title>\n<style>%s</style>'
                  '</head>\n<body>\n<h1>%s</h1>\n' % (esc(CSP), esc(title), STYLE, esc(title)))
        out.write('<p class="meta">%d hosts; %s</p>\n' % (len(table), esc(self._meta())))
        out.write('<ul class="counts">\n')
        for outcome, count in counts.items():
            if count or outcome != "stopped":
                out.write('<li class="%s"><b>%d</b>%s</li>\n' % (outcome.replace(" ", "-"), count, esc(outcome)))
        out.write("</ul>\n<table>\n<thead><tr>%s</tr></thead>\n<tbody>\n"
                  % "".join("<th>%s</th>" % esc(name) for name in header))
        for cells in table:
            out.write('<tr class="%s">' % esc(cells[1].replace(" ", "-")))
            for index, cell in enumerate(cells):
                css = ' class="outcome"' if index == 1 else ""
                if isinstance(cell, list):
                    cell = "<ul>%s</ul>" % "".join("<li>%s</li>" % esc(line) for line in cell) if cell else ""
                else:
                    cell = esc(cell)
                out.write("<td%s>%s</td>" % (css, cell))
            out.write("</tr>\n")
        out.write("</tbody>\n</table>\n</body></html>\n")
        return out.getvalue()

    def _csv(self, header, table):
        out = io.StringIO()
        writer = csv.writer(out, lineterminator="\r\n")
        writer.writerow(header)
        for cells in table:
            writer.writerow([_csv_cell("; ".join(cell) if isinstance(cell, list) else cell) for cell in cells])
        return out.getvalue()

    def _meta(self):
        check = " (check mode: nothing was changed)" if context.CLIARGS.get("check") else ""
        limit = context.CLIARGS.get("subset")
        return "run started %s UTC%s%s" % (time.strftime("%Y-%m-%d %H:%M:%S", self._run_time), check,
                                          "; limited to %s" % limit if limit else "")

    def _write_report(self):
        if self._play is None or not self._rows:
            return
        try:
            header, table = self._table()
            directory = self._report_dir()
            os.makedirs(directory, exist_ok=True)
            stem = "orvo-rollout-" + time.strftime("%Y%m%dT%H%M%SZ", self._run_time)
            if self._play_count > 1:
                stem += "-play%d" % self._play_count
            title = "Orvo rollout: %s" % (self._play.get_name() or "play %d" % self._play_count)
            paths = [self._write(directory, stem, ".html", self._html(header, table, title)),
                     self._write(directory, stem, ".csv", self._csv(header, table))]
            self._display.display("Rollout report: %s" % " ".join(paths))
        except Exception as error:  # a report that cannot be written must not change the run's result
            self._display.warning("orvo_report: no report written: %s" % error)
        self._play = None

    @staticmethod
    def _write(directory, stem, suffix, text):
        """Writes a new file (never over an existing one: a second run within the second gets '-2')."""
        for attempt in range(1, 100):
            path = os.path.join(directory, stem + ("" if attempt == 1 else "-%d" % attempt) + suffix)
            try:
                fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o644)
            except FileExistsError:
                continue
            with os.fdopen(fd, "w", encoding="utf-8", newline="") as file:
                file.write(text)
            return path
        raise FileExistsError("%s: too many reports with this name" % stem)
