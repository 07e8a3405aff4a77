#!/usr/bin/env python3
"""The package end to end under Wine, in a fresh prefix of its own: the PPD's
package is built, registered with the spooler as the printer class installer
leaves it (install_package), a printer added on it is run through
kxpsui-host --printer with the plug-in from the driver directory, and all of it
is removed again. The plug-in must read the data file the spooler names in its
driver directory and hold the same model as a run on the source PPD; after the
removal the spooler and the driver directory are as the fresh prefix had them.
The prefix is a temporary folder, removed on every path.

usage: end_to_end.py --installer EXE --package-tool EXE --host-tool EXE --dll DLL PPD
"""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tool"))
from tool_run import Checks, run_captured  # noqa: E402

PRINTER = "kxpsui end-to-end printer"


def windows_path(path):
    """A Linux path as Wine's drive Z: shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def nick_name(ppd):
    """The PPD's *NickName: the model name the package's INF gives it."""
    with open(ppd, "rb") as f:
        text = f.read()
    found = re.search(rb'^\*NickName:\s*"([^"]*)"', text, re.M)
    encoding = "cp932" if re.search(rb"^\*LanguageEncoding:\s*JIS83-RKSJ", text, re.M) else "latin-1"
    return found.group(1).decode(encoding) if found else ""


def interrupted(signum, frame):
    raise SystemExit(128 + signum)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--installer", "--package-tool", "--host-tool", "--dll"):
        parser.add_argument(option, required=True)
    parser.add_argument("ppd")
    args = parser.parse_args()
    for name in ("installer", "package_tool", "host_tool", "dll", "ppd"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, interrupted)

    root = tempfile.mkdtemp(prefix="kxpsui-end-to-end-")
    # A new prefix links its user folders to HOME and makes menu folders
    # there: a home of its own keeps them in the temporary folder too.
    home = os.path.join(root, "home")
    os.mkdir(home)
    env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    env.update(HOME=home, WINEPREFIX=os.path.join(root, "prefix"), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", LC_ALL="en_US.UTF-8")
    check = Checks()

    def wine(*command):
        status, out, err = run_captured(["wine"] + list(command), root, env, timeout=180)
        return status, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")

    def listing():
        status, out, err = wine(args.installer, "list")
        check(status == 0, "install_package list: exit status %d" % status, err)
        return out.splitlines()

    try:
        subprocess.run(["wineboot", "-i"], cwd=root, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=180)
        before = listing()

        package = os.path.join(root, "pkg")
        status, _, err = wine(args.package_tool, "--date", "2024-05-01", "--dll", windows_path(args.dll),
                              windows_path(package), windows_path(args.ppd))
        if not check(status == 0, "kxpsui-package: exit status %d" % status, err):
            return check.status()
        status, out, err = wine(args.host_tool, windows_path(args.ppd), "--json")
        source = json.loads(out) if status == 0 else {}
        check(source.get("model") is not None, "the run on the source PPD: exit status %d, no model" % status, err)

        model = nick_name(args.ppd)
        status, out, err = wine(args.installer, "install", windows_path(package), model, PRINTER)
        if check(status == 0, "install: exit status %d" % status, err):
            reported = {}
            for line in out.splitlines():
                for key in ("driver directory ", "data file "):
                    if line.startswith(key):
                        reported[key.strip()] = line[len(key):]
            directory = reported.get("driver directory", "")
            data_file = reported.get("data file", "")
            check(directory and data_file.lower().startswith(directory.lower() + "\\"),
                  "the spooler's data file lies under the driver directory", out)
            installed = listing()
            files = {line[len("file "):].split("\\")[-1] for line in installed if line.startswith("file ")}
            copied = sorted(set(os.listdir(package)) - {"kxpsui.inf", "manifest.json"})
            check("driver " + model in installed and "printer " + PRINTER in installed and files >= set(copied),
                  "registered: the driver %r, the printer, the files %s" % (model, copied), installed)

            plugin = data_file[:data_file.rfind("\\") + 1] + "kxpsui.dll"
            status, out, err = wine(args.host_tool, "--printer", PRINTER, "--plugin", plugin, "--json")
            report = json.loads(out) if status == 0 else {}
            check(status == 0, "kxpsui-host --printer: exit status %d" % status, err)
            check(report.get("printer") == PRINTER and report.get("ppd") == data_file[data_file.rfind("\\") + 1:],
                  "the plug-in read the spooler's data file %s" % data_file,
                  (report.get("printer"), report.get("ppd")))
            got, expected = report.get("model") or {}, source.get("model") or {}
            check(got and got == expected, "the installed printer's model is that of the source PPD",
                  report.get("modelUnavailable") or "differs in %s" % [k for k in got if got[k] != expected.get(k)])

            status, out, err = wine(args.installer, "remove", PRINTER, model)
            check(status == 0, "remove: exit status %d" % status, err)
        after = listing()
        check(after == before, "nothing is left: %d entries before, %d after" % (len(before), len(after)),
              sorted(set(after) ^ set(before)))
        return check.status()
    finally:
        for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(signum, signal.SIG_IGN)
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
