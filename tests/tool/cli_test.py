#!/usr/bin/env python3
"""kxpsui-host as a command: exit statuses and one-line errors for bad input,
--help and --check, run as a user runs it (under Wine for the Windows build).

usage: cli_test.py --tool TOOL --no-exports MODULE --source DIR --work DIR [-- RUNNER...]
"""
import argparse
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

    def corpus(name):
        return path(os.path.join(args.source, "..", "shared", "corpus", "ppd", name))
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
        ("--color not a selection", [sample, "--color", "mono"]),
        ("--color with a suffix", [sample, "--color", "1x"]),
        ("--change-color negative", [sample, "--change-color", "-1"]),
        ("--color beyond the options", [sample, "--color", "99"]),
        ("--change-color far beyond the options", [sample, "--change-color", "99999999999"]),
        ("--color twice", [sample, "--color", "0", "--color", "1"]),
        ("--color without a colour item", [corpus("38-latin1-25f-1082c-inst.ppd"), "--color", "Color"]),
        ("--change-color without a colour item", [corpus("39-latin1-25f-1082c-inst.ppd"), "--change-color", "0"]),
        ("option without its value", [sample, "--color"]),
        ("unknown option", [sample, "--verbose"]),
        ("two PPD files", [sample, sample]),
        ("plug-in missing", [sample, "--plugin", path(os.path.join(args.work, "no-such-plugin.dll"))]),
        ("plug-in not a library", [sample, "--plugin", path(not_a_library)]),
        ("plug-in without the exports", [sample, "--plugin", path(args.no_exports)]),
    ]
    errors = {}
    for what, tool_args in bad:
        status, out, err = run(*tool_args)
        lines = err.splitlines()
        errors[what] = err
        check(status == 2, what + ": exit status 2", status)
        check(out == b"", what + ": nothing on stdout", out[:200])
        check(len(lines) == 1 and lines[0].startswith("kxpsui-host: "), what + ": one line on stderr", repr(err))
    for what in ["--color beyond the options", "--change-color far beyond the options"]:
        check("two options, 0 (Grayscale) and 1 (Color)" in errors[what], what + ": the range", errors[what])

    status, out, err = run("--help")
    check(status == 0 and out.startswith(b"usage: kxpsui-host"), "--help", (status, out[:80]))
    status, out, err = run(sample)
    check(status == 0 and err == "" and out, "a good run: exit 0, a report, nothing on stderr", (status, err))

    # --check passes the check's status through.
    fixture = path(os.path.join(args.source, "tests", "fixtures", "check", "closeui-without-keyword.ppd"))
    for what, tool_args, expected in [("clean", [sample], 0), ("with findings", [fixture], 1),
                                      ("unreadable", ["no-such-file.ppd"], 2)]:
        status, out, err = run("--check", *tool_args)
        check(status == expected, "--check " + what, "exit %d, expected %d" % (status, expected))

    os.remove(not_a_library)
    return check.status()


if __name__ == "__main__":
    sys.exit(main())
