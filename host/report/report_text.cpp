// The report for people: one section per step of the driver's calls.
#include <stdio.h>

#include <unordered_map>
#include <unordered_set>

#include "host/common/files.h"
#include "host/common/result_names.h"
#include "host/common/text.h"
#include "host/report/tool_report.h"

namespace {

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined += (joined.empty() ? "" : ", ") + text;
    }
    return joined;
}

std::string SignatureText(DWORD signature) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((signature >> shift) & 0xFF);
        text += c >= 32 && c < 127 ? c : '?';
    }
    return text;
}

DWORD ReadDword(const std::vector<BYTE>& block, size_t offset) {
    if (block.size() < offset + 4) {
        return 0;
    }
    return static_cast<DWORD>(block[offset]) | static_cast<DWORD>(block[offset + 1]) << 8 |
           static_cast<DWORD>(block[offset + 2]) << 16 | static_cast<DWORD>(block[offset + 3]) << 24;
}

std::string ItemName(const std::vector<ItemReport>& items, int index) {
    if (index < 0 || static_cast<size_t>(index) >= items.size()) {
        return "an item not on the sheet";
    }
    return "\"" + items[static_cast<size_t>(index)].name + "\"";
}

const char* State(DWORD flags) {
    return (flags & OPTIF_DISABLED) != 0 ? "disabled" : "enabled";
}

void AppendHeader(const ToolReport& report, std::string* out) {
    const ToolEnvironment& environment = report.environment;
    AppendFormat(out, "kxpsui-host: %s\n", PathFileName(report.ppdPath).c_str());
    if (report.printerName.empty()) {
        AppendFormat(out, "  PPD: %s\n", report.ppdPath.c_str());
    } else {
        AppendFormat(out, "  printer: %s (its PPD: %s)\n", report.printerName.c_str(), report.ppdPath.c_str());
    }
    AppendFormat(out, "  plug-in: %s\n", report.pluginPath.c_str());
    AppendFormat(out, "  environment: ANSI code page %u, country %d, UI language %u (0x%04X)\n",
                 static_cast<unsigned>(environment.ansiCodePage), environment.country,
                 static_cast<unsigned>(environment.uiLanguage), static_cast<unsigned>(environment.uiLanguage));
    if (!report.modelUnavailable.empty()) {
        AppendFormat(out, "  model: not read: %s\n", report.modelUnavailable.c_str());
    }
}

void AppendDevmode(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    AppendFormat(out, "\nPlug-in\n");
    AppendFormat(out, "  signature 0x%08X \"%s\", version %u\n", static_cast<unsigned>(host.signature),
                 SignatureText(host.signature).c_str(), static_cast<unsigned>(host.version));

    AppendFormat(out, "\nPrivate devmode (%u bytes)\n", static_cast<unsigned>(host.devmodeSize));
    const std::vector<BYTE>& block = report.defaults;
    AppendFormat(out, "  defaults [%s]: size %u, signature \"%s\", version %u\n",
                 ResultName(report.defaultsResult).c_str(), static_cast<unsigned>(ReadDword(block, 0)),
                 SignatureText(ReadDword(block, 4)).c_str(), static_cast<unsigned>(ReadDword(block, 8)));
    for (size_t row = 0; row < block.size(); row += 16) {
        AppendFormat(out, "    %03u:", static_cast<unsigned>(row));
        for (size_t i = row; i < row + 16 && i < block.size(); ++i) {
            AppendFormat(out, " %02x", block[i]);
        }
        *out += "\n";
    }
    AppendFormat(out, "  paper adjustment for country %d:\n", report.environment.country);
    for (const PaperAdjustment& paper : report.paper) {
        AppendFormat(out, "    %-6s (paper %2d) -> paper %2d \"%s\" [%s]\n", paper.form, paper.paper,
                     paper.adjustedPaper, paper.adjustedForm.c_str(), ResultName(paper.result).c_str());
    }
}

void AppendInstalled(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    AppendFormat(out, "\nInstalled options (host's answer -> value the plug-in stored)\n");
    if (report.pluginInstalled.empty() && host.driverInstalled.empty()) {
        AppendFormat(out, "  none\n");
    }
    const std::string unread = report.documentRead ? "(not stored)" : "(model not read)";
    // The value stored for a keyword is the last the plug-in lists for it.
    std::unordered_map<std::string, const std::string*> stored;
    for (const auto& value : report.pluginInstalled) {
        stored[value.first] = &value.second;
    }
    std::unordered_set<std::string> answered;
    for (const auto& answer : host.driverInstalled) {
        const std::string keyword = "*" + AnsiToUtf8(answer.first);
        const auto value = stored.find(keyword);
        AppendFormat(out, "  %s: %s -> %s\n", keyword.c_str(), AnsiToUtf8(answer.second).c_str(),
                     value != stored.end() ? value->second->c_str() : unread.c_str());
        answered.insert(keyword);
    }
    for (const auto& value : report.pluginInstalled) {
        if (answered.count(value.first) == 0) {
            AppendFormat(out, "  %s: (no answer) -> %s\n", value.first.c_str(), value.second.c_str());
        }
    }
}

void AppendDocumentSheet(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    size_t tagged = 0;
    size_t disabled = 0;
    for (const ItemReport& item : host.documentItems) {
        tagged += item.itemCode != 0 ? 1 : 0;
        disabled += (item.flags & OPTIF_DISABLED) != 0 ? 1 : 0;
    }
    AppendFormat(out, "\nDocument sheet (%u items, %u tagged, %u disabled)\n",
                 static_cast<unsigned>(host.documentItems.size()), static_cast<unsigned>(tagged),
                 static_cast<unsigned>(disabled));
    if (!report.pluginKnown) {
        AppendFormat(out, "  tags and flags as the plug-in left them; no forbidden options: its model is not read\n");
    } else if (!report.documentRead) {
        AppendFormat(out, "  the plug-in holds no model of the PPD: nothing is tagged or marked\n");
    }
    const ForbiddenLookup forbiddenOptions(report);
    std::unordered_set<std::string> shown;
    for (const ItemReport& item : host.documentItems) {
        std::string line(2 + 2 * static_cast<size_t>(item.level), ' ');
        line += item.name;
        if (!item.keyword.empty()) {
            line += " (" + item.keyword + ")";
        }
        AppendFormat(&line, ": code 0x%02X, sel %ld, %s", item.itemCode, static_cast<long>(item.sel),
                     State(item.flags));
        const ForbiddenOptions* forbidden = forbiddenOptions.For(item.keyword);
        if (forbidden != nullptr) {
            line += "; forbidden: " + Joined(forbidden->options);
            shown.insert(item.keyword);
        }
        *out += line + "\n";
    }
    for (const ForbiddenOptions& entry : report.forbidden) {
        if (shown.count(entry.feature) == 0) {
            AppendFormat(out, "  not on the sheet: %s; forbidden: %s\n", entry.feature.c_str(),
                         Joined(entry.options).c_str());
        }
    }
}

std::string CallbackAnswer(LONG action) {
    return action == DriverSession::kNoCallback ? "no callback registered" : "callback " + CallbackActionName(action);
}

void AppendColorChanges(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    if (host.colorItem < 0) {
        AppendFormat(out, "\nColour changes\n  none: the PPD has no colour item (its *ColorDevice is not True)\n");
    } else {
        AppendFormat(out, "\nColour changes (colour item \"%s\")\n",
                     host.documentItems[static_cast<size_t>(host.colorItem)].name.c_str());
    }
    int step = 0;
    for (const ColorChange& change : host.colorChanges) {
        std::string line;
        AppendFormat(&line, "  %d. %s (sel %ld): %s", ++step, ColorOptionName(host, change.selection).c_str(),
                     static_cast<long>(change.selection), CallbackAnswer(change.result).c_str());
        if (change.renderingItem >= 0) {
            AppendFormat(&line, "; rendering item sel %ld, %s", static_cast<long>(change.renderingSel),
                         State(change.renderingFlags));
        } else {
            line += "; no rendering item";
        }
        if (change.told.empty()) {
            line += "; host told nothing";
        }
        for (const ColorChange::Told& told : change.told) {
            AppendFormat(&line, "; host told: %s sel %ld, %s (previous selection %lu, mode %lu%s)",
                         ItemName(host.documentItems, told.item).c_str(), static_cast<long>(told.sel),
                         State(told.flags), static_cast<unsigned long>(told.previousSelection),
                         static_cast<unsigned long>(told.mode), told.pciMatches ? "" : ", a foreign UI object");
        }
        *out += line + "\n";
    }
    AppendFormat(out, "  apply: %s\n", CallbackAnswer(host.applyResult).c_str());
}

void AppendPrinterSheet(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    std::vector<std::string> initial;
    std::vector<std::string> hidden;
    for (const ItemReport& item : host.printerItems) {
        if ((item.flags & OPTIF_INITIAL_TVITEM) != 0) {
            initial.push_back(item.name);
        }
        if ((item.flags & OPTIF_HIDE) != 0) {
            hidden.push_back(item.name);
        }
    }
    AppendFormat(out, "\nPrinter sheet (%u items)\n", static_cast<unsigned>(host.printerItems.size()));
    AppendFormat(out, "  initial item: %s\n", initial.empty() ? "none" : Joined(initial).c_str());
    AppendFormat(out, "  hidden: %s\n", hidden.empty() ? "none" : Joined(hidden).c_str());
}

void AppendEnd(const ToolReport& report, std::string* out) {
    const HostReport& host = report.host;
    AppendFormat(out, "\nColour profile\n");
    AppendFormat(out, "  \"%s\" (%lu bytes, flags %lu%s) [%s]\n", Utf16ToUtf8(host.profileName).c_str(),
                 static_cast<unsigned long>(host.profileSize), static_cast<unsigned long>(host.profileFlags),
                 host.profileFlags == QCP_PROFILEDISK ? ": a file on disk" : "",
                 ResultName(host.profileResult).c_str());
    AppendFormat(out, "\nUnload check\n");
    AppendFormat(out, "  last Release -> %lu, driver interface references %ld%s, DllCanUnloadNow -> %s\n",
                 static_cast<unsigned long>(host.lastRelease), static_cast<long>(host.driverUiReferences),
                 host.driverUiReferences == 1 ? " (all returned)" : " (not all returned)",
                 ResultName(host.unloadAnswer).c_str());
}

}  // namespace

std::string FormatTextReport(const ToolReport& report) {
    std::string out;
    AppendHeader(report, &out);
    AppendDevmode(report, &out);
    AppendInstalled(report, &out);
    AppendDocumentSheet(report, &out);
    AppendColorChanges(report, &out);
    AppendPrinterSheet(report, &out);
    AppendEnd(report, &out);
    return out;
}
