// The report as one page that draws the two sheets as the user meets them,
// with what the plug-in did marked on them. Self-contained (the style
// inline, no script: the tree folds with <details>), built from the same
// report as the JSON and, like it, the same bytes on every build. Every text
// of the PPD is untrusted and reaches the page escaped.
#include <stdio.h>

#include <unordered_map>
#include <unordered_set>

#include "host/common/files.h"
#include "host/common/result_names.h"
#include "host/common/text.h"
#include "host/report/tool_report.h"

namespace {

const char kStyle[] =
    "body{font-family:'DejaVu Sans',sans-serif;font-size:14px;color:#1b1f24;background:#f4f5f7;margin:0;"
    "padding:16px 24px}\n"
    "h1{font-size:20px;margin:0 0 8px}h2{font-size:16px;margin:0 0 8px}\n"
    "h2 .counts,h1 .tool{font-weight:normal;color:#57606a}header h2{margin-top:12px}\n"
    "section,header{background:#fff;border:1px solid #d0d7de;border-radius:6px;padding:12px 16px;"
    "margin-bottom:14px}\n"
    "table{border-collapse:collapse}th,td{text-align:left;padding:2px 12px 2px 0;vertical-align:top}\n"
    "th{color:#57606a;font-weight:normal}\n"
    "code,pre,.keyword{font-family:'DejaVu Sans Mono',monospace;font-size:12px}\n"
    ".keyword{color:#57606a}pre{margin:6px 0}\n"
    "summary{cursor:pointer}\n"
    ".children{margin-left:18px;border-left:1px dotted #afb8c1;padding-left:8px}\n"
    ".line{padding:1px 4px;border-radius:3px}\n"
    ".current{color:#0550ae}\n"
    ".badge{display:inline-block;font-family:'DejaVu Sans Mono',monospace;font-size:11px;padding:0 5px;"
    "border-radius:8px;background:#ddf4ff;color:#0550ae;border:1px solid #54aeff;margin-left:4px}\n"
    ".mark{display:inline-block;font-size:11px;padding:0 5px;border-radius:8px;margin-left:4px;"
    "border:1px solid #afb8c1;color:#57606a;background:#f6f8fa}\n"
    ".item.disabled>.line{color:#8c959f}.item.disabled>.line .current{color:#8c959f}\n"
    ".item.initial>.line{background:#fff8c5;outline:2px solid #d4a72c}\n"
    ".item.hidden>.line{text-decoration:line-through;color:#8c959f}\n"
    ".hidden-group{margin:2px 0;padding:2px 6px;background:#ffebe9;border:1px dashed #ff8182;"
    "border-radius:4px}\n"
    ".hidden-group>summary{color:#a40e26}\n"
    "ul.forbidden{margin:0 0 2px 22px;padding:0;list-style:none}\n"
    ".option.forbidden s{color:#cf222e}.reason{color:#57606a;font-size:12px;margin-left:6px}\n"
    "ol.strip{display:flex;flex-wrap:wrap;gap:8px;list-style:none;margin:0;padding:0}\n"
    ".state{border:1px solid #d0d7de;border-radius:6px;padding:6px 10px;min-width:150px;background:#f6f8fa}\n"
    ".state .step{display:block;font-size:11px;color:#57606a}.state.off{background:#eaeef2}\n"
    ".state .told,.state .action{display:block;font-size:12px;color:#57606a}\n"
    ".unload.bad,.model.unavailable{color:#cf222e}\n";

// Text for an element or a quoted attribute: the five special characters as
// references; control characters (tab and line end aside) and anything that
// is not Unicode as U+FFFD.
std::string Escape(std::u16string text) {
    for (char16_t& unit : text) {
        const bool control = (unit < 0x20 && unit != u'\t' && unit != u'\n') || (unit >= 0x7F && unit < 0xA0);
        unit = control ? u'\xFFFD' : unit;
    }
    const std::string utf8 = Utf16ToUtf8(text);
    std::string escaped;
    for (char c : utf8) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string Escape(const std::string& utf8) {
    return Escape(Utf8ToUtf16(utf8));
}

std::string SignatureText(DWORD signature) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += static_cast<char>((signature >> shift) & 0xFF);
    }
    return text;
}

const char* EnabledText(DWORD flags) {
    return (flags & OPTIF_DISABLED) != 0 ? "disabled" : "enabled";
}

std::string OptionAt(const std::vector<std::string>& options, LONG sel) {
    return sel >= 0 && static_cast<size_t>(sel) < options.size() ? options[static_cast<size_t>(sel)] : std::string();
}

// The forbidden options and the model's features by keyword (the first
// feature of a keyword), made once per page: every item looks itself up.
struct ReportLookups {
    explicit ReportLookups(const ToolReport& report) : forbidden(report) {
        for (const ModelFeature& feature : report.model.features) {
            features.emplace(Utf16ToUtf8(feature.keyword), &feature);
        }
    }
    ForbiddenLookup forbidden;
    std::unordered_map<std::string, const ModelFeature*> features;
};

// What the sheet drawing needs besides the items.
struct Sheet {
    const std::vector<ItemReport>* items;
    const ReportLookups* lookups;  // for the forbidden options; null on the printer sheet
};

// The name the host gave an option, found by its keyword through the model
// (the host builds a feature's options in the model's order); the keyword
// when the model does not say.
std::string OptionName(const ReportLookups& lookups, const ItemReport& item, const std::string& keyword) {
    const auto feature = lookups.features.find(item.keyword);
    if (feature != lookups.features.end()) {
        const std::vector<ModelOption>& options = feature->second->options;
        for (size_t i = 0; i < options.size(); ++i) {
            if (Utf16ToUtf8(options[i].keyword) == keyword && i < item.options.size()) {
                return item.options[i];
            }
        }
    }
    return keyword;
}

void AppendForbidden(const ReportLookups& lookups, const ItemReport& item, const ForbiddenOptions& forbidden,
                     std::string* out) {
    *out += "<ul class=\"forbidden\">";
    for (size_t i = 0; i < forbidden.options.size(); ++i) {
        const std::string& option = forbidden.options[i];
        const std::pair<std::string, std::string>& by = forbidden.decidedBy[i];
        AppendFormat(out, "<li class=\"option forbidden\" data-option=\"%s\"", Escape(option).c_str());
        if (!by.first.empty()) {
            AppendFormat(out, " data-by-keyword=\"%s\" data-by-value=\"%s\"", Escape(by.first).c_str(),
                         Escape(by.second).c_str());
        }
        AppendFormat(out, "><s>%s</s> <code>%s</code><span class=\"reason\">",
                     Escape(OptionName(lookups, item, option)).c_str(), Escape(option).c_str());
        if (by.first.empty()) {
            *out += "forbidden, though no installed setting&#39;s constraint explains it";
        } else {
            AppendFormat(out, "forbidden while %s is %s", Escape(by.first).c_str(), Escape(by.second).c_str());
        }
        *out += "</span></li>";
    }
    *out += "</ul>\n";
}

// The item's element opened, its line written; the caller closes it.
void OpenItem(const Sheet& sheet, size_t index, bool branch, std::string* out) {
    const ItemReport& item = (*sheet.items)[index];
    std::string classes = "item";
    classes += branch ? " branch" : "";
    classes += item.itemCode != 0 ? " tagged" : "";
    classes += (item.flags & OPTIF_DISABLED) != 0 ? " disabled" : "";
    classes += (item.flags & OPTIF_HIDE) != 0 ? " hidden" : "";
    classes += (item.flags & OPTIF_INITIAL_TVITEM) != 0 ? " initial" : "";
    AppendFormat(out, "<%s class=\"%s\"%s data-index=\"%u\" data-level=\"%u\" data-keyword=\"%s\" data-code=\"%u\"",
                 branch ? "details" : "div", classes.c_str(), branch ? " open" : "", static_cast<unsigned>(index),
                 static_cast<unsigned>(item.level), Escape(item.keyword).c_str(), static_cast<unsigned>(item.itemCode));
    AppendFormat(out, " data-sel=\"%ld\"><%s class=\"line\"><span class=\"name\">%s</span>",
                 static_cast<long>(item.sel), branch ? "summary" : "div", Escape(item.name).c_str());
    if (!item.keyword.empty()) {
        AppendFormat(out, " <span class=\"keyword\">%s</span>", Escape(item.keyword).c_str());
    }
    const std::string current = OptionAt(item.options, item.sel);
    if (!current.empty()) {
        AppendFormat(out, ": <span class=\"current\">%s</span>", Escape(current).c_str());
    }
    if (item.itemCode != 0) {
        AppendFormat(out, " <span class=\"badge code\">0x%02X</span>", static_cast<unsigned>(item.itemCode));
    }
    if ((item.flags & OPTIF_DISABLED) != 0) {
        *out += " <span class=\"mark disabled\">disabled</span>";
    }
    if ((item.flags & OPTIF_INITIAL_TVITEM) != 0) {
        *out += " <span class=\"mark initial\">initially selected</span>";
    }
    if ((item.flags & OPTIF_HIDE) != 0) {
        *out += " <span class=\"mark hidden\">hidden</span>";
    }
    AppendFormat(out, "</%s>", branch ? "summary" : "div");
    const ForbiddenOptions* forbidden = sheet.lookups != nullptr ? sheet.lookups->forbidden.For(item.keyword) : nullptr;
    if (forbidden != nullptr) {
        AppendForbidden(*sheet.lookups, item, *forbidden, out);
    } else {
        *out += "\n";
    }
}

// One past the last item of the subtree of items[index].
size_t SubtreeEnd(const std::vector<ItemReport>& items, size_t index) {
    size_t end = index + 1;
    while (end < items.size() && items[end].level > items[index].level) {
        ++end;
    }
    return end;
}

size_t AppendItems(const Sheet& sheet, size_t index, int parentLevel, bool inHiddenGroup, std::string* out);

// items[index] and its subtree; returns the index after them.
size_t AppendItem(const Sheet& sheet, size_t index, bool inHiddenGroup, std::string* out) {
    const std::vector<ItemReport>& items = *sheet.items;
    const bool branch = SubtreeEnd(items, index) > index + 1;
    OpenItem(sheet, index, branch, out);
    if (!branch) {
        *out += "</div>\n";
        return index + 1;
    }
    *out += "<div class=\"children\">\n";
    const size_t next = AppendItems(sheet, index + 1, items[index].level, inHiddenGroup, out);
    *out += "</div></details>\n";
    return next;
}

// The items from index on while they are deeper than parentLevel. A hidden
// item goes with its subtree into a closed group of its own, so the author
// sees what disappeared.
size_t AppendItems(const Sheet& sheet, size_t index, int parentLevel, bool inHiddenGroup, std::string* out) {
    const std::vector<ItemReport>& items = *sheet.items;
    while (index < items.size() && items[index].level > parentLevel) {
        if (inHiddenGroup || (items[index].flags & OPTIF_HIDE) == 0) {
            index = AppendItem(sheet, index, inHiddenGroup, out);
            continue;
        }
        const size_t end = SubtreeEnd(items, index);
        size_t hidden = 0;
        for (size_t i = index; i < end; ++i) {
            hidden += (items[i].flags & OPTIF_HIDE) != 0 ? 1 : 0;
        }
        AppendFormat(out, "<details class=\"hidden-group\"><summary>hidden by the plug-in: %u item%s</summary>\n",
                     static_cast<unsigned>(hidden), hidden == 1 ? "" : "s");
        index = AppendItem(sheet, index, true, out);
        *out += "</details>\n";
    }
    return index;
}

void AppendTree(const Sheet& sheet, std::string* out) {
    *out += "<div class=\"tree\">\n";
    size_t index = 0;
    // Levels start at 0; a first item deeper than that still starts a run.
    while (index < sheet.items->size()) {
        index = AppendItems(sheet, index, static_cast<int>((*sheet.items)[index].level) - 1, false, out);
    }
    *out += "</div>\n";
}

void AppendHeader(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    const ToolEnvironment& environment = report.environment;
    const std::string ppd = Escape(PathFileName(report.ppdPath));
    AppendFormat(out, "<header>\n<h1><span class=\"tool\">kxpsui-host:</span> <span class=\"ppd\">%s</span></h1>\n",
                 ppd.c_str());
    *out += "<table class=\"facts\">\n";
    if (!report.printerName.empty()) {
        AppendFormat(out, "<tr><th>Printer</th><td class=\"printer\">%s</td></tr>\n",
                     Escape(report.printerName).c_str());
    }
    AppendFormat(out,
                 "<tr><th>Plug-in</th><td class=\"plugin\" data-signature=\"%lu\">signature 0x%08lX "
                 "<code>%s</code>, version %lu</td></tr>\n",
                 static_cast<unsigned long>(host.signature), static_cast<unsigned long>(host.signature),
                 Escape(SignatureText(host.signature)).c_str(), static_cast<unsigned long>(host.version));
    AppendFormat(out,
                 "<tr><th>Environment</th><td class=\"environment\">ANSI code page %u, country %d, UI language %u "
                 "(0x%04X)</td></tr>\n",
                 static_cast<unsigned>(environment.ansiCodePage), environment.country,
                 static_cast<unsigned>(environment.uiLanguage), static_cast<unsigned>(environment.uiLanguage));
    if (report.model.present) {
        AppendFormat(out,
                     "<tr><th>Model</th><td class=\"model read\">read: %u features, %u constraints, %u installable "
                     "settings</td></tr>\n",
                     static_cast<unsigned>(report.model.features.size()),
                     static_cast<unsigned>(report.model.constraints.size()),
                     static_cast<unsigned>(report.model.installables.size()));
    } else {
        AppendFormat(out, "<tr><th>Model</th><td class=\"model unavailable\">not read: %s</td></tr>\n",
                     Escape(report.modelUnavailable).c_str());
    }
    AppendFormat(out,
                 "<tr><th>Colour profile</th><td class=\"profile\">&quot;%s&quot; (%lu bytes, flags %lu%s) "
                 "[%s]</td></tr>\n",
                 Escape(host.profileName).c_str(), static_cast<unsigned long>(host.profileSize),
                 static_cast<unsigned long>(host.profileFlags),
                 host.profileFlags == QCP_PROFILEDISK ? ": a file on disk" : "",
                 Escape(ResultName(host.profileResult)).c_str());
    const bool unloads = host.unloadAnswer == S_OK && host.driverUiReferences == 1;
    AppendFormat(out,
                 "<tr><th>Unload check</th><td class=\"unload %s\">last Release &#8594; %lu, driver interface "
                 "references %ld%s, DllCanUnloadNow &#8594; %s</td></tr>\n",
                 unloads ? "ok" : "bad", static_cast<unsigned long>(host.lastRelease),
                 static_cast<long>(host.driverUiReferences),
                 host.driverUiReferences == 1 ? " (all returned)" : " (not all returned)",
                 Escape(ResultName(host.unloadAnswer)).c_str());
    *out += "</table>\n";

    *out += "<h2>Installed options</h2>\n";
    if (host.driverInstalled.empty()) {
        *out += "<p class=\"installed none\">none</p>\n";
    } else {
        *out +=
            "<table class=\"installed\">\n<tr><th>option</th><th>the host&#39;s answer</th>"
            "<th>stored by the plug-in</th></tr>\n";
    }
    for (const auto& answer : host.driverInstalled) {
        const std::string keyword = "*" + AnsiToUtf8(answer.first);
        std::string stored = report.model.present ? "(not stored)" : "(model not read)";
        for (const auto& setting : report.model.installables) {
            stored = Utf16ToUtf8(setting.first) == keyword ? Utf16ToUtf8(setting.second) : stored;
        }
        AppendFormat(out, "<tr data-keyword=\"%s\"><td><code>%s</code></td><td>%s</td><td>%s</td></tr>\n",
                     Escape(keyword).c_str(), Escape(keyword).c_str(), Escape(AnsiToUtf8(answer.second)).c_str(),
                     Escape(stored).c_str());
    }
    if (!host.driverInstalled.empty()) {
        *out += "</table>\n";
    }

    AppendFormat(out, "<details class=\"devmode\"><summary>Private devmode: %lu bytes, defaults [%s]</summary>\n<pre>",
                 static_cast<unsigned long>(host.devmodeSize), Escape(ResultName(report.defaultsResult)).c_str());
    const std::vector<BYTE>& block = report.defaults;
    for (size_t row = 0; row < block.size(); row += 16) {
        AppendFormat(out, "%03u:", static_cast<unsigned>(row));
        for (size_t i = row; i < row + 16 && i < block.size(); ++i) {
            AppendFormat(out, " %02x", block[i]);
        }
        *out += "\n";
    }
    AppendFormat(out,
                 "</pre>\n<table class=\"paper\">\n<tr><th colspan=\"2\">paper adjustment for country %d</th></tr>\n",
                 environment.country);
    for (const PaperAdjustment& paper : report.paper) {
        AppendFormat(out, "<tr><td>%s (paper %d)</td><td>&#8594; paper %d &quot;%s&quot; [%s]</td></tr>\n", paper.form,
                     paper.paper, paper.adjustedPaper, Escape(paper.adjustedForm).c_str(),
                     Escape(ResultName(paper.result)).c_str());
    }
    *out += "</table>\n</details>\n</header>\n";
}

void AppendDocumentSheet(const ToolReport& report, std::string* out) {
    const std::vector<ItemReport>& items = report.host.documentItems;
    size_t tagged = 0;
    size_t disabled = 0;
    for (const ItemReport& item : items) {
        tagged += item.itemCode != 0 ? 1 : 0;
        disabled += (item.flags & OPTIF_DISABLED) != 0 ? 1 : 0;
    }
    AppendFormat(
        out,
        "<section class=\"sheet\" id=\"document-sheet\">\n<h2>Document sheet <span class=\"counts\">%u items, %u "
        "tagged, %u disabled</span></h2>\n",
        static_cast<unsigned>(items.size()), static_cast<unsigned>(tagged), static_cast<unsigned>(disabled));
    if (!report.model.present) {
        AppendFormat(out, "<p class=\"note\">No forbidden options: the plug-in&#39;s model is not read (%s).</p>\n",
                     Escape(report.modelUnavailable).c_str());
    }
    const ReportLookups lookups(report);
    AppendTree({&items, &lookups}, out);
    // A feature with marks but no item of its own still shows them.
    std::unordered_set<std::string> onSheet;
    for (const ItemReport& item : items) {
        onSheet.insert(item.keyword);
    }
    std::string elsewhere;
    for (const ForbiddenOptions& entry : report.forbidden) {
        if (onSheet.count(entry.feature) == 0) {
            ItemReport none;
            AppendFormat(&elsewhere, "<li data-keyword=\"%s\"><code>%s</code>", Escape(entry.feature).c_str(),
                         Escape(entry.feature).c_str());
            none.keyword = entry.feature;
            AppendForbidden(lookups, none, entry, &elsewhere);
            elsewhere += "</li>\n";
        }
    }
    if (!elsewhere.empty()) {
        AppendFormat(out, "<h3>Not on the sheet</h3>\n<ul class=\"elsewhere\">\n%s</ul>\n", elsewhere.c_str());
    }
    *out += "</section>\n";
}

void AppendColorChanges(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    const std::vector<ItemReport>& items = host.documentItems;
    *out += "<section id=\"color-changes\">\n";
    if (host.colorItem < 0) {
        *out +=
            "<h2>Colour changes</h2>\n<p class=\"note\">none: the PPD has no colour item (its *ColorDevice is "
            "not True)</p>\n</section>\n";
        return;
    }
    const ItemReport& colorItem = items[static_cast<size_t>(host.colorItem)];
    AppendFormat(
        out, "<h2>Colour changes <span class=\"counts\">colour item &quot;%s&quot;</span></h2>\n<ol class=\"strip\">\n",
        Escape(colorItem.name).c_str());
    // The sheet as it opened: the colour item and the item tagged 0x45.
    AppendFormat(
        out, "<li class=\"state opened\" data-selection=\"%ld\"><span class=\"step\">opened</span><b>%s</b> (sel %ld)",
        static_cast<long>(colorItem.sel), Escape(OptionAt(colorItem.options, colorItem.sel)).c_str(),
        static_cast<long>(colorItem.sel));
    for (const ItemReport& item : items) {
        if (item.itemCode == 0x45) {
            AppendFormat(out, "<span class=\"told\">&quot;%s&quot;: %s, %s</span>", Escape(item.name).c_str(),
                         Escape(OptionAt(item.options, item.sel)).c_str(), EnabledText(item.flags));
            break;
        }
    }
    *out += "</li>\n";
    int step = 0;
    for (const ColorChange& change : host.colorChanges) {
        const std::string option = ColorOptionName(host, change.selection);
        AppendFormat(out, "<li class=\"state%s\" data-selection=\"%ld\"", change.selection == 0 ? " off" : "",
                     static_cast<long>(change.selection));
        if (change.renderingItem >= 0) {
            AppendFormat(out, " data-rendering-sel=\"%ld\" data-rendering-enabled=\"%s\"",
                         static_cast<long>(change.renderingSel),
                         (change.renderingFlags & OPTIF_DISABLED) == 0 ? "true" : "false");
        }
        AppendFormat(out, "><span class=\"step\">change %d</span><b>%s</b> (sel %ld)", ++step, Escape(option).c_str(),
                     static_cast<long>(change.selection));
        if (change.renderingItem >= 0 && static_cast<size_t>(change.renderingItem) < items.size()) {
            const ItemReport& rendering = items[static_cast<size_t>(change.renderingItem)];
            AppendFormat(out, "<span class=\"told\">&quot;%s&quot;: %s, %s</span>", Escape(rendering.name).c_str(),
                         Escape(OptionAt(rendering.options, change.renderingSel)).c_str(),
                         EnabledText(change.renderingFlags));
        } else {
            *out += "<span class=\"told\">no rendering item</span>";
        }
        if (change.told.empty()) {
            *out += "<span class=\"told\">host told nothing</span>";
        }
        for (const ColorChange::Told& told : change.told) {
            const std::string name = told.item >= 0 && static_cast<size_t>(told.item) < items.size()
                                         ? "&quot;" + Escape(items[static_cast<size_t>(told.item)].name) + "&quot;"
                                         : std::string("an item not on the sheet");
            AppendFormat(out,
                         "<span class=\"told\">host told: %s sel %ld, %s (previous selection %lu, mode %lu%s)</span>",
                         name.c_str(), static_cast<long>(told.sel), EnabledText(told.flags),
                         static_cast<unsigned long>(told.previousSelection), static_cast<unsigned long>(told.mode),
                         told.pciMatches ? "" : ", a foreign UI object");
        }
        AppendFormat(out, "<span class=\"action\">%s</span></li>\n",
                     change.result == DriverSession::kNoCallback ? "no callback registered"
                                                                 : Escape(CallbackActionName(change.result)).c_str());
    }
    AppendFormat(out,
                 "<li class=\"state apply\"><span class=\"step\">apply</span><span class=\"action\">%s</span></li>\n",
                 host.applyResult == DriverSession::kNoCallback ? "no callback registered"
                                                                : Escape(CallbackActionName(host.applyResult)).c_str());
    *out += "</ol>\n</section>\n";
}

void AppendPrinterSheet(const ToolReport& report, std::string* out) {
    const std::vector<ItemReport>& items = report.host.printerItems;
    size_t hidden = 0;
    std::string initial;
    for (const ItemReport& item : items) {
        hidden += (item.flags & OPTIF_HIDE) != 0 ? 1 : 0;
        if ((item.flags & OPTIF_INITIAL_TVITEM) != 0) {
            initial += (initial.empty() ? "" : ", ") + Escape(item.name);
        }
    }
    AppendFormat(out,
                 "<section class=\"sheet\" id=\"printer-sheet\">\n<h2>Printer sheet <span class=\"counts\">%u items, "
                 "initially selected: %s, %u hidden</span></h2>\n",
                 static_cast<unsigned>(items.size()), initial.empty() ? "none" : initial.c_str(),
                 static_cast<unsigned>(hidden));
    AppendTree({&items, nullptr}, out);
    *out += "</section>\n";
}

}  // namespace

std::string FormatHtmlReport(const ToolReport& report) {
    std::string out;
    const std::string ppd = Escape(PathFileName(report.ppdPath));
    AppendFormat(
        &out,
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        "<title>kxpsui-host: %s</title>\n<style>\n%s</style>\n</head>\n<body>\n",
        ppd.c_str(), kStyle);
    AppendHeader(report, &out);
    AppendDocumentSheet(report, &out);
    AppendColorChanges(report, &out);
    AppendPrinterSheet(report, &out);
    out += "</body>\n</html>\n";
    return out;
}
