#!/usr/bin/env python3
"""A package must be the same bytes from both builds and in any locale: the
Linux tool under ja_JP (ANSI code page 932) and kxpsui-package.exe under Wine
in de_DE (1252), run with the same arguments, for each PPD.

usage: compare_builds.py --linux-tool T --windows-tool T --wine-run S --prefix P --work DIR PPD...
"""
import argparse
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tool"))
from tool_run import run_captured  # noqa: E402


def folder_bytes(folder):
    return {name: open(os.path.join(folder, name), "rb").read() for name in sorted(os.listdir(folder))}


def main():
    parser = argparse.ArgumentParser()
    for option in ("--linux-tool", "--windows-tool", "--wine-run", "--prefix", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("ppds", nargs="+")
    args = parser.parse_args()
    if not os.path.isfile(args.windows_tool):
        print("FAIL: no Windows tool at %s: build the Windows tree first (scripts/test does)" % args.windows_tool)
        return 1
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)

    failures = 0
    for ppd in args.ppds:
        relative = os.path.relpath(ppd, args.work)
        runs = [
            ("linux", [args.linux_tool, "--date", "2024-05-01", "linux", relative], "ja_JP.UTF-8"),
            ("windows", [args.wine_run, args.prefix, args.windows_tool, "--date", "2024-05-01", "windows",
                         relative.replace("/", "\\")], "de_DE.UTF-8"),
        ]
        problems = []
        for name, command, locale in runs:
            status, _, err = run_captured(command, args.work, dict(os.environ, LC_ALL=locale))
            if status != 0:
                problems.append("%s: exit status %d, %r" % (name, status, err[-300:]))
        if not problems:
            linux = folder_bytes(os.path.join(args.work, "linux"))
            windows = folder_bytes(os.path.join(args.work, "windows"))
            if sorted(linux) != sorted(windows):
                problems.append("files linux %s, windows %s" % (sorted(linux), sorted(windows)))
            problems += ["%s differs" % name for name in sorted(linux) if linux[name] != windows.get(name)]
        if problems:
            failures += 1
            print("FAIL %s: %s" % (os.path.basename(ppd), "; ".join(problems)))
        else:
            print("same %s: %s" % (os.path.basename(ppd), ", ".join("%s %d" % (n, len(b)) for n, b in linux.items())))
        for name in ("linux", "windows"):
            shutil.rmtree(os.path.join(args.work, name), ignore_errors=True)
    shutil.rmtree(args.work, ignore_errors=True)
    print("%d of %d packages differ" % (failures, len(args.ppds)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
