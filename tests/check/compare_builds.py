#!/usr/bin/env python3
"""kxpsui-host --check --json must be the same bytes from both builds: the Linux
tool and kxpsui-host.exe under Wine, run once each over the same PPD paths from
one working directory.

usage: compare_builds.py --linux-tool T --windows-tool T --wine-run S --prefix P --work DIR PPD...
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tool"))
from tool_run import run_captured  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux-tool", required=True)
    parser.add_argument("--windows-tool", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("ppds", nargs="+")
    args = parser.parse_args()
    if not os.path.isfile(args.windows_tool):
        print("FAIL: no Windows tool at %s: build the Windows tree first (scripts/test does)" % args.windows_tool)
        return 1
    os.makedirs(args.work, exist_ok=True)
    # Forward slashes serve both builds, so the paths as given are the same.
    paths = [os.path.relpath(ppd, args.work) for ppd in args.ppds]
    env = dict(os.environ, LC_ALL="en_US.UTF-8")
    linux = run_captured([args.linux_tool, "--check", "--json"] + paths, args.work, env)
    windows = run_captured([args.wine_run, args.prefix, args.windows_tool, "--check", "--json"] + paths, args.work, env)
    if linux[0] != windows[0] or linux[1] != windows[1]:
        lines = zip(linux[1].split(b"\n"), windows[1].split(b"\n"))
        first = next((n for n, (a, b) in enumerate(lines, 1) if a != b), None)
        print("FAIL: exit status linux %d, windows %d; first differing line: %s" % (linux[0], windows[0], first))
        return 1
    print("same: %d files, %d bytes, exit status %d" % (len(paths), len(linux[1]), linux[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
