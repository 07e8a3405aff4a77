#!/usr/bin/env python3
"""kxpsui-host as a command: exit statuses and one-line errors for bad input,
--help and --check (its JSON parsed), run as a user runs it (under Wine for the
Windows build).

usage: cli_test.py --tool TOOL --no-exports MODULE --source DIR --work DIR [-- RUNNER...]
"""
import argparse
import json
import os
import sys

from tool_run import Checks, run_captured


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--no-exports", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("runner", nargs="*")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    check = Checks()

    def path(p):
        # Relative to the working directory, in the tool's own spelling.
        relative = os.path.relpath(p, args.work)
        return relative.replace("/", "\\") if args.runner else relative

    def run(*tool_args):
        env = dict(os.environ, LC_ALL="en_US.UTF-8")
        status, out, err = run_captured(args.runner + [args.tool] + list(tool_args), args.work, env)
        return status, out, err.decode("utf-8", "replace")

    sample = path(os.path.join(args.source, "samples", "kx-color-page.ppd"))
    not_a_library = os.path.join(args.work, "not-a-library.dll")
    with open(not_a_library, "w") as f:
        f.write("plain text\n")

    # Bad input: status 2, nothing on stdout, one line on stderr.
    bad = [
        ("missing PPD", ["no-such-file.ppd"]),
        ("directory as PPD", [path(args.source)]),
        ("unknown feature", [sample, "--installed", "NoSuchFeature=On"]),
        ("unknown option", [sample, "--installed", "KXTrayUnit=9Tray"]),
        ("feature not installable", [sample, "--installed", "PageSize=A4"]),
        ("--installed without =", [sample, "--installed", "KXTrayUnit"]),
        ("--installed without option", [sample, "--installed", "KXTrayUnit="]),
        ("--color not a number", [sample, "--color", "mono"]),
        ("--color with a suffix", [sample, "--color", "1x"]),
        ("--change-color negative", [sample, "--change-color", "-1"]),
        ("--color beyond the options", [sample, "--color", "99"]),
        ("option without its value", [sample, "--color"]),
        ("unknown option", [sample, "--verbose"]),
        ("two PPD files", [sample, sample]),
        ("plug-in missing", [sample, "--plugin", path(os.path.join(args.work, "no-such-plugin.dll"))]),
        ("plug-in not a library", [sample, "--plugin", path(not_a_library)]),
        ("plug-in without the exports", [sample, "--plugin", path(args.no_exports)]),
    ]
    for what, tool_args in bad:
        status, out, err = run(*tool_args)
        lines = err.splitlines()
        check(status == 2, what + ": exit status 2", status)
        check(out == b"", what + ": nothing on stdout", out[:200])
        check(len(lines) == 1 and lines[0].startswith("kxpsui-host: "), what + ": one line on stderr", repr(err))

    status, out, err = run("--help")
    check(status == 0 and out.startswith(b"usage: kxpsui-host"), "--help", (status, out[:80]))
    status, out, err = run(sample)
    check(status == 0 and err == "" and out, "a good run: exit 0, a report, nothing on stderr", (status, err))

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
    return check.status()


if __name__ == "__main__":
    sys.exit(main())
