#!/usr/bin/env python3
"""kxpsui-host's HTML page as a browser draws it: each PPD is run once with
--json (the report on stdout) and --html (the page into a file), the page is
loaded in headless Chromium for a screenshot and for the DOM after loading, and
the DOM must mark the disabled, tagged, forbidden (with the deciding setting),
hidden and initial items exactly as the JSON says. A PPD whose translations hold
markup and scripts must read back as text, with nothing of it run.

Everything, Chromium's profile, cache and temporary files included, goes into one
temporary folder that is removed at the end.

usage: html_browser_test.py --tool TOOL --source DIR [--chromium PROGRAM]
"""
import argparse
import html.parser
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from tool_run import Checks, run_captured

WINDOW = (1200, 1800)
UNEXPLAINED = "forbidden, though no installed setting's constraint explains it"
VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}


class Dom(html.parser.HTMLParser):
    """The items of the two sheets, the forbidden options inside each, and
    what a page must never hold (scripts, event handlers, #injected)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []  # (tag, attributes, classes, the item the element is, or None)
        self.items = {"document-sheet": {}, "printer-sheet": {}}
        self.text = []
        self.scripts = 0
        self.handlers = []
        self.injected = 0

    def innermost_item(self):
        return next((entry[3] for entry in reversed(self.stack) if entry[3] is not None), None)

    def inside(self, name):
        return any(name in entry[2] for entry in self.stack)

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        classes = set((attributes.get("class") or "").split())
        self.scripts += tag == "script"
        self.handlers += [(tag, name) for name, _ in attrs if name.startswith("on")]
        self.injected += attributes.get("id") == "injected"
        sheet = next((entry[1]["id"] for entry in self.stack if entry[1].get("id") in self.items), None)
        item = None
        if sheet and "item" in classes:
            groups = [entry[1] for entry in self.stack if "hidden-group" in entry[2]]
            item = self.items[sheet][int(attributes["data-index"])] = {
                "classes": classes, "keyword": attributes.get("data-keyword"), "code": int(attributes["data-code"]),
                "badges": [], "marks": [], "forbidden": [],
                "in_closed_hidden_group": bool(groups) and all("open" not in group for group in groups)}
        owner = self.innermost_item()
        if owner is not None and tag == "li" and "forbidden" in classes:
            owner["forbidden"].append({"option": attributes.get("data-option"),
                                       "keyword": attributes.get("data-by-keyword"),
                                       "value": attributes.get("data-by-value"), "reason": ""})
        if owner is not None and tag == "span" and ("badge" in classes or "mark" in classes):
            owner["badges" if "badge" in classes else "marks"].append("")
        if tag not in VOID:
            self.stack.append((tag, attributes, classes, item))

    def handle_endtag(self, tag):
        while self.stack and tag not in VOID:
            if self.stack.pop()[0] == tag:
                break

    def handle_data(self, data):
        self.text.append(data)
        owner = self.innermost_item()
        if owner is None or not self.stack:
            return
        classes = self.stack[-1][2]
        if "badge" in classes:
            owner["badges"][-1] += data
        elif "mark" in classes:
            owner["marks"][-1] += data
        elif "reason" in classes and self.inside("forbidden"):
            owner["forbidden"][-1]["reason"] += data


def png_size(path):
    """The width and height a PNG file declares; None when it is no PNG."""
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def check_sheet(check, case, sheet, items, dom_items, forbidden_too):
    check(sorted(dom_items) == list(range(len(items))), case + ": one element per item",
          (len(dom_items), len(items)))
    for index, item in enumerate(items):
        got = dom_items.get(index)
        if got is None:
            continue
        what = "%s: %s item %d %r" % (case, sheet, index, item["name"][:40])
        classes = got["classes"]
        check(got["keyword"] == item["keyword"], what + ": keyword", got["keyword"])
        check(("disabled" in classes) == (not item["enabled"]) and
              ("disabled" in got["marks"]) == (not item["enabled"]), what + ": disabled as the JSON says",
              (classes, got["marks"]))
        check(("tagged" in classes) == (item["itemCode"] != 0) and got["code"] == item["itemCode"] and
              got["badges"] == (["0x%02X" % item["itemCode"]] if item["itemCode"] else []),
              what + ": its item code", (got["code"], got["badges"]))
        check(("hidden" in classes) == item["hidden"] and (not item["hidden"] or got["in_closed_hidden_group"]),
              what + ": hidden, in a closed group, as the JSON says", (classes, got["in_closed_hidden_group"]))
        check(("initial" in classes) == item["initial"] and
              ("initially selected" in got["marks"]) == item["initial"], what + ": initial as the JSON says",
              (classes, got["marks"]))
        if forbidden_too:
            expected = [dict(by, reason=UNEXPLAINED if by["keyword"] is None else
                             "forbidden while %s is %s" % (by["keyword"], by["value"]))
                        for by in item["forbiddenBy"] or []]
            check(got["forbidden"] == expected, what + ": forbidden options and why", (got["forbidden"], expected))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--chromium", default="chromium")
    args = parser.parse_args()
    args.tool, args.source = os.path.abspath(args.tool), os.path.abspath(args.source)
    check = Checks()
    corpus = os.path.join(args.source, "..", "shared", "corpus", "ppd")
    untrusted = os.path.join(args.source, "tests", "fixtures", "html", "untrusted-texts.ppd")
    cases = [
        # The sample on monochrome with one lower cassette: a disabled item,
        # forbidden options, the printer sheet's initial and hidden items.
        ("sample", os.path.join(args.source, "samples", "kx-color-page.ppd"), "en_US.UTF-8",
         ["--color", "0", "--installed", "KXTrayUnit=1Tray"]),
        ("corpus 57", os.path.join(corpus, "57-latin1-70f-9244c-inst.ppd"), "en_US.UTF-8", []),
        ("corpus 31 (Shift-JIS)", os.path.join(corpus, "31-sjis-19f-298c-inst.ppd"), "ja_JP.UTF-8", []),
        ("untrusted texts", untrusted, "en_US.UTF-8", []),
    ]

    folder = tempfile.mkdtemp(prefix="kx-html-browser-")
    try:
        # Chromium keeps its profile, cache and scratch files in the folder.
        browser_env = dict(os.environ, HOME=folder, TMPDIR=folder, XDG_CACHE_HOME=os.path.join(folder, "cache"),
                           XDG_CONFIG_HOME=os.path.join(folder, "config"))
        browser = [args.chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--user-data-dir=" + os.path.join(folder, "profile")]
        reports = {}
        for case, ppd, locale, extra in cases:
            page = os.path.join(folder, "page.html")
            status, out, err = run_captured([args.tool, "--json", ppd, "--html", page] + extra, folder,
                                            dict(os.environ, LC_ALL=locale))
            if not check(status == 0 and os.path.exists(page), case + ": the tool's run", (status, err[-300:])):
                continue
            report = reports[case] = json.loads(out.decode("utf-8"))
            url = "file://" + page
            status, dumped, err = run_captured(browser + ["--dump-dom", url], folder, browser_env, timeout=180)
            check(status == 0 and b"<html" in dumped[:100], case + ": the DOM dumped", (status, err[-300:]))
            shot = os.path.join(folder, "shot.png")
            status, _, err = run_captured(browser + ["--screenshot=" + shot, "--window-size=%d,%d" % WINDOW, url],
                                          folder, browser_env, timeout=180)
            check(status == 0 and os.path.exists(shot) and png_size(shot) == WINDOW,
                  case + ": a screenshot of the window's size", (status, err[-300:]))

            dom = Dom()
            dom.feed(dumped.decode("utf-8"))
            dom.close()
            check_sheet(check, case, "document", report["documentSheet"], dom.items["document-sheet"], True)
            check_sheet(check, case, "printer", report["printerSheet"], dom.items["printer-sheet"], False)
            check(dom.scripts == 0 and not dom.handlers and dom.injected == 0,
                  case + ": no script, no event handler, no #injected", (dom.scripts, dom.handlers, dom.injected))
            text = "".join(dom.text)
            # Every item name shows, as read in the run's code page.
            missing = [item["name"] for item in report["documentSheet"] + report["printerSheet"]
                       if item["name"] not in text]
            check(not missing, case + ": every item's name as text", missing[:3])
            def marked(key, sheet="documentSheet"):
                return sum(1 for item in report[sheet] if item[key])
            print("%s: %d document and %d printer items; %d disabled, %d tagged, %d forbidden options, %d hidden, "
                  "%d initial" % (case, len(report["documentSheet"]), len(report["printerSheet"]),
                                  len(report["documentSheet"]) - marked("enabled"), marked("itemCode"),
                                  sum(len(item["forbiddenBy"] or []) for item in report["documentSheet"]),
                                  marked("hidden", "printerSheet"), marked("initial", "printerSheet")))
            os.remove(page)
            os.remove(shot)

        untrusted_sheet = reports.get("untrusted texts", {}).get("documentSheet", [])
        names = [item["name"] for item in untrusted_sheet]
        check(any(name.startswith("<script>") for name in names) and
              any("<Cassette> & 'Unit' \"1\"" in name for name in names),
              "untrusted texts: the markup read as the JSON holds it", names)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    check(not os.path.exists(folder), "the temporary folder removed", folder)
    return check.status()


if __name__ == "__main__":
    sys.exit(main())
