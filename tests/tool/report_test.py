#!/usr/bin/env python3
"""kxpsui-host's reports, read as a script reads them: the JSON parsed and held
against itself (the model against the sheets the host built from its own reading
of the PPD) and against the options given; the text checked for its sections.
Runs under Wine for the Windows build.

A plug-in that is not the one built with the tool runs all the same, but its
model is not read. The JSON is the same from a read-only working directory and
from one whose path is 250 characters long.

usage: report_test.py --tool TOOL --foreign MODULE --source DIR --work DIR [-- RUNNER...]
"""
import argparse
import json
import os
import shutil
import sys

from tool_run import Checks, run_captured

TOP_KEYS = ["ppd", "printer", "environment", "plugin", "devmode", "installed", "documentRead", "documentSheet",
            "colorChanges", "applyAction", "applyActionName", "printerSheet", "colorProfile", "unload", "model",
            "modelUnavailable"]
FEATURE_KEYS = ["keyword", "translation", "defaultOption", "groupKeyword", "groupTranslation", "uiType",
                "orderDependency", "options"]

# Hexadecimal escapes put a quote, a backslash, a tab, a control character and
# a Latin-1 letter into translations; one block has no *OrderDependency.
ESCAPES_PPD = (b'*PPD-Adobe: "4.3"\n*LanguageEncoding: ISOLatin1\n*ModelName: "Escapes"\n'
               b'*OpenUI *KXToner/Toner<22>Save: PickOne\n*OrderDependency: 25.5 AnySetup *KXToner\n'
               b'*DefaultKXToner: Off\n*KXToner Off/B<5C>a<09>c<01>k<E9>: ""\n*KXToner On/On: ""\n'
               b'*CloseUI: *KXToner\n'
               b'*OpenUI *KXDensity: PickOne\n*KXDensity Light/Light: ""\n*CloseUI: *KXDensity\n')


def constrained(feature):
    return [option["keyword"] for option in feature["options"] if option["constrained"]]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--foreign", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("runner", nargs="*")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    check = Checks()

    def path(p, cwd=args.work):
        relative = os.path.relpath(p, cwd)
        return relative.replace("/", "\\") if args.runner else relative

    def report(*tool_args, cwd=args.work):
        env = dict(os.environ, LC_ALL="en_US.UTF-8")
        status, out, err = run_captured(args.runner + [args.tool, "--json"] + list(tool_args), cwd, env)
        check(status == 0 and not err, "exit 0 and a quiet stderr for " + " ".join(tool_args), (status, err))
        text = out.decode("utf-8")  # strict: invalid UTF-8 fails here
        return json.loads(text), text

    sample = path(os.path.join(args.source, "samples", "kx-color-page.ppd"))

    # Every part in its place, and nothing of the build.
    data, text = report(sample)
    check(list(data) == TOP_KEYS, "top-level keys", list(data))
    check(data["ppd"] == "kx-color-page.ppd", "the PPD by its file name", data["ppd"])
    model = data["model"]
    check(list(model) == ["header", "features", "constraints", "installables"], "model keys", list(model))
    check(all(list(f) == FEATURE_KEYS for f in model["features"]), "feature keys")
    check(all(list(o) == ["keyword", "translation", "constrained"] for f in model["features"] for o in f["options"]),
          "option keys")
    check(all(len(c) == 4 and all(isinstance(w, str) for w in c) for c in model["constraints"]),
          "constraints are four words")
    for leak in [os.path.abspath(args.work), os.path.abspath(args.source), "kxpsui-host-", "kxpsui.", "wineprefix"]:
        check(leak not in text, "nothing build-specific in the JSON", leak)
    defaults = bytes.fromhex(data["devmode"]["defaults"])
    check(len(defaults) == data["devmode"]["size"] and
          int.from_bytes(defaults[4:8], "little") == data["plugin"]["signature"],
          "the private block carries the signature", data["devmode"])

    # The model is the PPD the host read: the host shows each feature it reads
    # as one document item.
    sheet = data["documentSheet"]
    shown = sorted(item["keyword"] for item in sheet if item["keyword"])
    check(sorted(f["keyword"] for f in model["features"]) == shown, "model features are the host's features",
          (len(model["features"]), len(shown)))
    rendering = [i for i, item in enumerate(sheet) if item["keyword"] == "*KXRendering"]
    check(len(rendering) == 1 and sheet[rendering[0]]["itemCode"] == 69, "*KXRendering tagged 69", rendering)

    # The model's marks are the report's forbidden options, and follow the
    # installed value (the sample's third cassette needs both lower ones).
    for tray_unit, tray3_forbidden in [("None", True), ("1Tray", True), ("2Tray", False)]:
        data, _ = report(sample, "--installed", "KXTrayUnit=" + tray_unit)
        features = {f["keyword"]: f for f in data["model"]["features"]}
        for item in data["documentSheet"]:
            if item["keyword"]:
                check(item["forbidden"] == constrained(features[item["keyword"]]),
                      "forbidden = constrained for %s under %s" % (item["keyword"], tray_unit), item["forbidden"])
                check([by["option"] for by in item["forbiddenBy"]] == item["forbidden"],
                      "forbiddenBy beside forbidden for %s under %s" % (item["keyword"], tray_unit),
                      item["forbiddenBy"])
            if item["keyword"] == "*InputSlot":
                check(all((by["keyword"], by["value"]) == ("*KXTrayUnit", tray_unit) for by in item["forbiddenBy"]),
                      "the cassette unit forbids the cassettes under " + tray_unit, item["forbiddenBy"])
        check(any(item["forbidden"] for item in data["documentSheet"]), "something forbidden under " + tray_unit)
        check(("Tray3" in constrained(features["*InputSlot"])) == tray3_forbidden, "Tray3 under " + tray_unit,
              constrained(features["*InputSlot"]))
        check({"keyword": "*KXTrayUnit", "option": tray_unit} in data["installed"], "host answers " + tray_unit)
        check({"keyword": "*KXTrayUnit", "value": tray_unit} in data["model"]["installables"],
              "the model stores " + tray_unit)

    # Every item lists its option names as the host built them: the colour
    # item its own two, a feature item the translations the plug-in read too.
    for sheet in ["documentSheet", "printerSheet"]:
        check(all(isinstance(item["options"], list) for item in data[sheet]), sheet + ": options listed")
    color_items = [item for item in data["documentSheet"] if item["dmPubId"] == 6]
    check(len(color_items) == 1 and color_items[0]["options"] == ["Grayscale", "Color"] and
          color_items[0]["keyword"] == "", "the driver's own colour item", color_items)
    for item in data["documentSheet"]:
        if item["keyword"]:
            translations = [option["translation"] for option in features[item["keyword"]]["options"]]
            check(item["options"] == translations, "options of " + item["keyword"], (item["options"], translations))
    color_model = [item for item in data["documentSheet"] if item["keyword"] == "*ColorModel"]
    check(len(color_model) == 1 and color_model[0]["dmPubId"] == 0 and color_model[0]["level"] == 3,
          "*ColorModel an ordinary item", color_model)

    # The colour item means the same whatever order *ColorModel lists: the
    # sample with CMYK first, opened on each option by index and by name.
    with open(os.path.join(args.source, "samples", "kx-color-page.ppd"), "rb") as f:
        sample_bytes = f.read()
    gray = b'*ColorModel Gray/Grayscale: "<</ProcessColorModel /DeviceGray>>setpagedevice"\n'
    cmyk_first = sample_bytes.replace(gray, b"").replace(b"*CloseUI: *ColorModel", gray + b"*CloseUI: *ColorModel")
    check(cmyk_first != sample_bytes and gray in cmyk_first, "the sample with CMYK first")
    cmyk_first_path = os.path.join(args.work, "cmyk-first.ppd")
    with open(cmyk_first_path, "wb") as f:
        f.write(cmyk_first)
    for selection, enabled in [("0", False), ("Grayscale", False), ("1", True), ("Color", True)]:
        data, _ = report(path(cmyk_first_path), "--color", selection)
        rendering = [item for item in data["documentSheet"] if item["keyword"] == "*KXRendering"]
        check(len(rendering) == 1 and rendering[0]["enabled"] == enabled,
              "CMYK first, --color %s: rendering %s" % (selection, "enabled" if enabled else "disabled"), rendering)
    os.remove(cmyk_first_path)

    # The rendering item follows the colour item.
    data, _ = report(sample, "--color", "0", "--change-color", "1", "--change-color", "0")
    sheet = data["documentSheet"]
    index = [i for i, item in enumerate(sheet) if item["keyword"] == "*KXRendering"][0]
    check(not sheet[index]["enabled"], "opened on monochrome: rendering disabled")
    changes = data["colorChanges"]
    check([(c["selection"], c["option"]) for c in changes] == [(1, "Color"), (0, "Grayscale")],
          "the changes asked for, by option", changes)
    for change in changes:
        on = change["selection"] != 0
        told = change["hostTold"]
        check(change["action"] == 1 and change["rendering"] == {"item": index, "sel": change["selection"],
                                                                 "enabled": on},
              "rendering item after sel %d" % change["selection"], change)
        check(len(told) == 1 and told[0]["item"] == index and told[0]["sameUiObject"] and told[0]["enabled"] == on,
              "host told after sel %d" % change["selection"], told)
    check(data["applyAction"] == 4, "apply answered ITEMS_APPLIED", data["applyAction"])
    check(data["unload"] == {"lastRelease": 0, "driverUiReferences": 1, "canUnloadNow": "S_OK"}, "unload",
          data["unload"])

    # PPD texts reach the JSON escaped.
    escapes = os.path.join(args.work, "escapes.ppd")
    with open(escapes, "wb") as f:
        f.write(ESCAPES_PPD)
    data, _ = report(path(escapes))
    features = {f["keyword"]: f for f in data["model"]["features"]}
    check(features["*KXToner"]["translation"] == 'Toner"Save', "quote", features["*KXToner"]["translation"])
    check(features["*KXToner"]["options"][0]["translation"] == "B\\a\tc\x01k\u00e9", "escapes",
          features["*KXToner"]["options"][0]["translation"])
    check(features["*KXToner"]["orderDependency"] == 25, "orderDependency's integer part")
    check(features["*KXDensity"]["orderDependency"] == 0, "no *OrderDependency: 0")
    os.remove(escapes)

    # A plug-in of another build runs through the same calls, but nothing of
    # its memory is read: no model, no marks, and the reason says why.
    data, _ = report(sample, "--plugin", path(args.foreign))
    check(data["model"] is None and data["modelUnavailable"].startswith("not the plug-in built with this"),
          "foreign plug-in: no model, and why", data["modelUnavailable"])
    check(data["documentRead"] is None and
          all(item["forbidden"] is None and item["forbiddenBy"] is None for item in data["documentSheet"]),
          "foreign plug-in: nothing read of its model")
    check(data["installed"] and data["applyAction"] == 4, "foreign plug-in: the host's answers, the callback",
          (data["installed"], data["applyAction"]))
    check(data["colorProfile"]["name"] == "SHEETPRINTER.icm", "QueryColorProfile gets the sheets' printer",
          data["colorProfile"])

    # Nothing is written where the tool runs: a read-only working directory,
    # and one of 250 characters, give the same JSON.
    _, normal = report(sample)
    readonly = os.path.join(args.work, "readonly")
    long_base = os.path.join(os.path.abspath(args.work), "long")
    deep = long_base
    while len(deep) + 51 < 249:
        deep = os.path.join(deep, "d" * 50)
    deep = os.path.join(deep, "x" * (249 - len(deep)))
    check(len(deep) == 250, "a working directory of 250 characters", len(deep))
    for folder in [readonly, deep]:
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, 0o555)
        try:
            _, text = report(path(os.path.join(args.source, "samples", "kx-color-page.ppd"), folder), cwd=folder)
            check(text == normal, "the same JSON from %d-character %s" % (len(os.path.abspath(folder)), folder))
            check(os.listdir(folder) == [], "nothing written in " + folder, os.listdir(folder))
        finally:
            os.chmod(folder, 0o755)
    shutil.rmtree(readonly)
    shutil.rmtree(long_base)

    # The text report: its sections in the order of the driver's calls.
    env = dict(os.environ, LC_ALL="en_US.UTF-8")
    status, out, err = run_captured(args.runner + [args.tool, sample, "--color", "0"], args.work, env)
    text = out.decode("utf-8")
    check(status == 0 and "\r" not in text, "text report: exit 0, LF line ends", status)
    headings = ["Plug-in", "Private devmode", "Document sheet", "Colour changes", "Printer sheet", "Colour profile",
                "Unload check"]
    starts = [line.split(" (")[0] for line in text.splitlines() if line and not line.startswith(" ")]
    check([h for h in starts if h in headings] == headings, "text report: sections in order", starts)
    line = [line for line in text.splitlines() if "(*KXRendering)" in line]
    check(len(line) == 1 and "code 0x45" in line[0] and "disabled" in line[0], "text report: rendering item", line)
    check("DllCanUnloadNow -> S_OK" in text, "text report: unload check")
    return check.status()


if __name__ == "__main__":
    sys.exit(main())
