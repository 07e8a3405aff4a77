#!/usr/bin/env python3
"""The JSON report and the HTML page must be the same bytes from both builds:
the Linux tool with kxpsui.so, and kxpsui-host.exe with kxpsui.dll under Wine,
run live with the same arguments from one working directory, for each PPD under
each locale (one run each: the JSON on stdout, the page into a file).

usage: compare_builds.py --linux-tool T --windows-tool T --wine-run S --prefix P --work DIR
                         --locales L,L,... PPD...
"""
import argparse
import json
import os
import sys

from tool_run import run_captured


def first_difference(a, b):
    lines_a = a.split(b"\n")
    lines_b = b.split(b"\n")
    for number, (left, right) in enumerate(zip(lines_a, lines_b), 1):
        if left != right:
            return "line %d:\n  linux:   %r\n  windows: %r" % (number, left[:300], right[:300])
    return "one output is a prefix of the other (%d and %d lines)" % (len(lines_a), len(lines_b))


def read_and_remove(path):
    """The file's bytes, b"" when there is none; the file is gone after."""
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as f:
        data = f.read()
    os.remove(path)
    return data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux-tool", required=True)
    parser.add_argument("--windows-tool", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--locales", required=True)
    parser.add_argument("ppds", nargs="+")
    args = parser.parse_args()
    if not os.path.isfile(args.windows_tool):
        print("FAIL: no Windows tool at %s: build the Windows tree first (scripts/test does)" % args.windows_tool)
        return 1
    os.makedirs(args.work, exist_ok=True)

    failures = 0
    for locale in args.locales.split(","):
        env = dict(os.environ, LC_ALL=locale)
        for ppd in args.ppds:
            relative = os.path.relpath(ppd, args.work)
            linux_status, linux_out, linux_err = run_captured(
                [args.linux_tool, "--json", relative, "--html", "linux.html"], args.work, env)
            windows_status, windows_out, windows_err = run_captured(
                [args.wine_run, args.prefix, args.windows_tool, "--json", relative.replace("/", "\\"), "--html",
                 "windows.html"], args.work, env)
            pages = [read_and_remove(os.path.join(args.work, name)) for name in ["linux.html", "windows.html"]]
            case = "%s %s" % (locale, os.path.basename(ppd))
            problems = []
            if linux_status != 0 or windows_status != 0:
                problems.append("exit status linux %d, windows %d; stderr: %r %r" % (
                    linux_status, windows_status, linux_err[-300:], windows_err[-300:]))
            try:
                features = len(json.loads(linux_out.decode("utf-8"))["model"]["features"])
            except (ValueError, KeyError, TypeError) as error:
                problems.append("the Linux output is not a report: %s" % error)
                features = 0
            if linux_out != windows_out:
                problems.append(first_difference(linux_out, windows_out))
            if not pages[0].startswith(b"<!DOCTYPE html>") or pages[0] != pages[1]:
                problems.append("page: " + first_difference(pages[0], pages[1]))
            if problems:
                failures += 1
                print("FAIL %s: %s" % (case, "; ".join(problems)))
            else:
                print("same %s: %d bytes of JSON, %d of HTML, %d features" % (case, len(linux_out), len(pages[0]),
                                                                               features))
    print("%d of %d comparisons differ" % (failures, len(args.ppds) * len(args.locales.split(","))))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
