#!/usr/bin/env python3
"""kxpsui-host as a command: exit statuses and one-line errors for bad input,
plug-ins that fail, fault or are interrupted, --printer, --html, --help and --check
(its JSON parsed), run as a user runs it (under Wine for the Windows build). No run leaves
anything in the working directory or the temporary folder, nor, under Wine,
in the spooler or its driver directory; in a fresh Wine prefix two runs leave
no driver record and no driver file.

usage: cli_test.py --tool TOOL --no-exports MODULE --foreign MODULE --source DIR --work DIR
                   [--probe PROBE] [-- RUNNER...]
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from tool_run import Checks, Traces, run_captured


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--no-exports", required=True)
    parser.add_argument("--foreign", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--probe")
    parser.add_argument("runner", nargs="*")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    check = Checks()
    traces = Traces(args.work, args.runner, args.probe)
    spooler_before = traces.spooler()

    def path(p):
        # Relative to the working directory, in the tool's own spelling.
        relative = os.path.relpath(p, args.work)
        return relative.replace("/", "\\") if args.runner else relative

    def run(*tool_args, env=None):
        before = traces.files(args.work)
        status, out, err = run_captured(args.runner + [args.tool] + list(tool_args), args.work,
                                        dict(traces.env, **(env or {})))
        check(traces.files(args.work) == before, " ".join(tool_args) + ": nothing left behind",
              (before, traces.files(args.work)))
        return status, out, err.decode("utf-8", "replace")

    def corpus(name):
        return path(os.path.join(args.source, "..", "shared", "corpus", "ppd", name))

    sample = path(os.path.join(args.source, "samples", "kx-color-page.ppd"))
    foreign = path(args.foreign)
    not_a_library = os.path.join(args.work, "not-a-library.dll")
    with open(not_a_library, "w") as f:
        f.write("plain text\n")

    # Bad input: status 2, nothing on stdout, one line on stderr.
    bad = [
        ("missing PPD", ["no-such-file.ppd"], {}),
        ("directory as PPD", [path(args.source)], {}),
        ("unknown feature", [sample, "--installed", "NoSuchFeature=On"], {}),
        ("unknown option", [sample, "--installed", "KXTrayUnit=9Tray"], {}),
        ("feature not installable", [sample, "--installed", "PageSize=A4"], {}),
        ("--installed without =", [sample, "--installed", "KXTrayUnit"], {}),
        ("--installed without option", [sample, "--installed", "KXTrayUnit="], {}),
        ("--color not a selection", [sample, "--color", "mono"], {}),
        ("--color with a suffix", [sample, "--color", "1x"], {}),
        ("--change-color negative", [sample, "--change-color", "-1"], {}),
        ("--color beyond the options", [sample, "--color", "99"], {}),
        ("--change-color far beyond the options", [sample, "--change-color", "99999999999"], {}),
        ("--color twice", [sample, "--color", "0", "--color", "1"], {}),
        ("--color without a colour item", [corpus("38-latin1-25f-1082c-inst.ppd"), "--color", "Color"], {}),
        ("--change-color without a colour item", [corpus("39-latin1-25f-1082c-inst.ppd"), "--change-color", "0"],
         {}),
        ("option without its value", [sample, "--color"], {}),
        ("unknown option", [sample, "--verbose"], {}),
        ("two PPD files", [sample, sample], {}),
        ("--printer and a PPD", ["--printer", "any", sample], {}),
        ("--printer unknown", ["--printer", "kxpsui-host no such printer"], {}),
        ("plug-in missing", [sample, "--plugin", path(os.path.join(args.work, "no-such-plugin.dll"))], {}),
        ("plug-in not a library", [sample, "--plugin", path(not_a_library)], {}),
        ("plug-in without the exports", [sample, "--plugin", path(args.no_exports)], {}),
        ("plug-in that makes no object", [sample, "--plugin", foreign], {"KX_FOREIGN_PLUGIN": "fail"}),
        ("--html - and --json", [sample, "--html", "-", "--json"], {}),
        ("--html twice", [sample, "--html", "a.html", "--html", "b.html"], {}),
        ("--html named like an option", [sample, "--html", "--json"], {}),
        # The page is written beside the file and renamed over it: the
        # rename fails on a folder, and the file beside it goes again.
        ("--html over a folder", [sample, "--html", "page-folder"], {}),
        # A failed run writes no page at all.
        ("--html and a missing PPD", ["no-such-file.ppd", "--html", "page.html"], {}),
    ]
    os.makedirs(os.path.join(args.work, "page-folder"), exist_ok=True)
    errors = {}
    for what, tool_args, env in bad:
        status, out, err = run(*tool_args, env=env)
        lines = err.splitlines()
        errors[what] = err
        check(status == 2, what + ": exit status 2", status)
        check(out == b"", what + ": nothing on stdout", out[:200])
        check(len(lines) == 1 and lines[0].startswith("kxpsui-host: "), what + ": one line on stderr", repr(err))
    for what in ["--color beyond the options", "--change-color far beyond the options"]:
        check("two options, 0 (Grayscale) and 1 (Color)" in errors[what], what + ": the range", errors[what])
    if not args.runner:
        check("use kxpsui-host.exe on Windows or under Wine" in errors["--printer unknown"],
              "--printer natively says where it works", errors["--printer unknown"])

    status, out, err = run("--help")
    check(status == 0 and out.startswith(b"usage: kxpsui-host"), "--help", (status, out[:80]))
    check(all(s in out for s in [b"Exit status", b"130", b"--printer"]), "--help: exit statuses and --printer")
    status, out, err = run(sample)
    check(status == 0 and err == "" and out, "a good run: exit 0, a report, nothing on stderr", (status, err))
    # --html FILE: the text report still on stdout, and the page in FILE the
    # same bytes as --html - writes on stdout.
    pages = tempfile.mkdtemp(prefix="kx-html-")
    status, text, err = run(sample, "--html", path(os.path.join(pages, "page.html")))
    status_stdout, page, err_stdout = run(sample, "--html", "-")
    with open(os.path.join(pages, "page.html"), "rb") as f:
        written = f.read()
    check(status == 0 and status_stdout == 0 and text == out, "--html FILE: exit 0, the text report on stdout",
          (status, status_stdout, err, err_stdout))
    check(page.startswith(b"<!DOCTYPE html>") and written == page, "--html FILE: the page --html - writes",
          (len(written), len(page)))
    check(os.listdir(pages) == ["page.html"], "--html FILE: nothing beside the page", os.listdir(pages))
    shutil.rmtree(pages)

    # A plug-in that faults: status 3, one line, and its session's printer,
    # driver and files gone all the same.
    status, out, err = run(sample, "--plugin", foreign, "--html", "page.html", env={"KX_FOREIGN_PLUGIN": "fault"})
    check(status == 3 and out == b"" and len(err.splitlines()) == 1 and "abnormally" in err,
          "a faulting plug-in: exit 3, one line, no page", (status, err))

    # Ctrl-C while the plug-in works: status 130, one line, nothing left.
    marker = os.path.join(args.work, "plug-in-waiting")
    before = traces.files(args.work)
    child = subprocess.Popen(args.runner + [args.tool, sample, "--plugin", foreign], cwd=args.work,
                             env=dict(traces.env, KX_FOREIGN_PLUGIN="block", KX_FOREIGN_MARKER=marker),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
    deadline = time.time() + 60
    while not os.path.exists(marker) and time.time() < deadline and child.poll() is None:
        time.sleep(0.05)
    os.killpg(child.pid, signal.SIGINT)
    out, err = child.communicate(timeout=60)
    os.remove(marker)
    check(child.returncode == 130 and out == b"" and len(err.splitlines()) == 1, "Ctrl-C: exit 130, one line",
          (child.returncode, err))
    check(traces.files(args.work) == before, "Ctrl-C: nothing left behind")

    # --check: statuses, and the JSON a CI system reads. Three files that are
    # not PPDs: an empty one, binary bytes, a text.
    fixtures = os.path.join(args.source, "tests", "fixtures", "check")
    fixture = path(os.path.join(fixtures, "closeui-without-keyword.ppd"))
    info_only = path(os.path.join(fixtures, "info-only.ppd"))
    not_ppds = []
    for name, data in [("empty.ppd", b""), ("binary.ppd", bytes(range(256))), ("text.ppd", b"hello, world\n")]:
        with open(os.path.join(args.work, name), "wb") as f:
            f.write(data)
        not_ppds.append(name)
    for what, tool_args, expected in [("clean", [sample], 0), ("with findings", [fixture], 1),
                                      ("infos only", [info_only], 0), ("unreadable", ["no-such-file.ppd"], 2)]:
        status, out, err = run("--check", *tool_args)
        check(status == expected, "--check " + what, "exit %d, expected %d" % (status, expected))
    status, out, err = run("--check", *not_ppds)
    summary = out.decode("utf-8").splitlines()[-1:]
    check(status == 1, "--check of files that are not PPDs: exit 1", status)
    check(summary == ["3 files: 3 errors, 0 warnings, 0 infos"], "--check: the summary line ends the text", summary)

    files = [sample, fixture, info_only] + not_ppds + ["no-such-file.ppd"]
    status, out, err = run("--check", "--json", *files)
    check(status == 2, "--check --json with a missing file: exit 2", status)
    errors = [line for line in err.splitlines() if not line.startswith("[")]
    check(len(errors) == 1 and errors[0].startswith("kxpsui-host: no-such-file.ppd: cannot read the file: "),
          "--check --json: one error line for the missing file", errors)
    try:
        report = json.loads(out.decode("utf-8"))  # members keep the document's order
    except ValueError as error:
        report = {"files": [], "totals": None}
        check(False, "--check --json: one JSON document", error)
    check([e["path"] for e in report["files"]] == files, "--check --json: each file by its path as given",
          [e["path"] for e in report["files"]])
    totals = {"files": len(files), "unreadable": 0, "errors": 0, "warnings": 0, "infos": 0}
    expected_codes = dict([(name, [("error", "not-a-ppd")]) for name in not_ppds] +
                          [(fixture, [("error", "missing-word")]), (info_only, [("info", "same-translation")])])
    for entry in report["files"]:
        findings = entry["findings"]
        check(list(entry) == ["path", "readError", "findings", "counts"], "file keys", list(entry))
        check(all(list(f) == ["line", "severity", "code", "message"] for f in findings), "finding keys", findings)
        for severity in ("error", "warning", "info"):
            tally = sum(1 for f in findings if f["severity"] == severity)
            check(entry["counts"][severity + "s"] == tally, entry["path"] + ": its " + severity + "s", entry["counts"])
            totals[severity + "s"] += tally
        totals["unreadable"] += entry["readError"] is not None
        codes = [(f["severity"], f["code"]) for f in findings]
        check(codes == expected_codes.get(entry["path"], []), entry["path"] + ": its findings", codes)
    check(report["totals"] == totals and list(report["totals"]) == list(totals), "--check --json: the totals",
          report["totals"])
    status, again, err = run(files[0], "--json", *files[1:] + ["--check"])
    check(again == out, "--check --json: options anywhere on the line give the same bytes")

    for name in not_ppds:
        os.remove(os.path.join(args.work, name))
    os.remove(not_a_library)
    os.rmdir(os.path.join(args.work, "page-folder"))

    if args.runner:
        check_printer_queue(args, traces, path, sample, check)
        check(traces.spooler() == spooler_before, "the spooler and its driver directory as they were",
              (spooler_before, traces.spooler()))
        check_fresh_prefix(args, traces, sample, check)
    return check.status()


def check_printer_queue(args, traces, path, sample, check):
    """--printer reads an installed queue's PPD through the spooler and adds
    or deletes nothing: the report is that of its PPD."""
    status, out, err = run_captured(args.runner + [args.probe, "add", "cli-queue", sample], args.work, traces.env)
    name = out.decode().strip()
    if not check(status == 0 and name, "a queue installed for --printer", (status, err)):
        return
    before = traces.spooler()
    status, queued, err = run_captured(args.runner + [args.tool, "--json", "--printer", name], args.work, traces.env)
    check(traces.spooler() == before, "--printer adds and deletes nothing")
    run_captured(args.runner + [args.probe, "remove", "cli-queue"], args.work, traces.env)
    status2, direct, err2 = run_captured(args.runner + [args.tool, "--json", sample], args.work, traces.env)
    queued_report, direct_report = json.loads(queued), json.loads(direct)
    check(status == 0 and queued_report["printer"] == name, "--printer: exit 0, the queue named", (status, err))
    for key in ["ppd", "printer"]:
        del queued_report[key], direct_report[key]
    check(queued_report == direct_report, "--printer: the report of the queue's PPD")


def check_fresh_prefix(args, traces, sample, check):
    """In a prefix of its own, two runs leave no driver record and no file in
    the driver directory."""
    prefix = os.path.join(args.work, "fresh-prefix")
    shutil.rmtree(prefix, ignore_errors=True)
    runner = [args.runner[0], prefix]
    fresh = Traces(args.work, runner, args.probe)
    first = fresh.spooler()
    for attempt in range(2):
        status, out, err = run_captured(runner + [args.tool, sample], args.work, fresh.env)
        check(status == 0, "fresh prefix: run %d" % (attempt + 1), (status, err[-300:]))
    check(fresh.spooler() == first, "fresh prefix: no driver record, no driver file", (first, fresh.spooler()))
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix))
    shutil.rmtree(prefix, ignore_errors=True)
    if os.path.exists(prefix + ".lock"):
        os.remove(prefix + ".lock")


if __name__ == "__main__":
    sys.exit(main())
