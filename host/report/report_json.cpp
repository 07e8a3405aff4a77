// The report for scripts: one JSON document whose bytes are the same on
// every build, so nothing build-specific goes in (no binary or spooler
// paths, the PPD by its file name only).
#include "host/common/files.h"
#include "host/common/json_writer.h"
#include "host/common/result_names.h"
#include "host/common/text.h"
#include "host/report/tool_report.h"

namespace {

std::string HexBytes(const std::vector<BYTE>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (BYTE byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

void WideMember(JsonWriter* json, const char* name, const std::u16string& text) {
    json->Key(name);
    json->String(AsWide(text));
}

void NullableMember(JsonWriter* json, const char* name, const std::string& utf8, bool known) {
    json->Key(name);
    if (known) {
        json->String(utf8);
    } else {
        json->Null();
    }
}

// One line per item: the sheets are long, their items short.
void WriteItem(JsonWriter* json, const ItemReport& item) {
    json->BeginObject(true);
    json->IntMember("level", item.level);
    json->Member("name", item.name);
    json->Member("keyword", item.keyword);
    json->Key("options");
    json->BeginArray(true);
    for (const std::string& option : item.options) {
        json->String(option);
    }
    json->EndArray();
    json->IntMember("dmPubId", item.dmPubId);
    json->IntMember("itemCode", item.itemCode);
    json->IntMember("sel", item.sel);
    json->BoolMember("enabled", (item.flags & OPTIF_DISABLED) == 0);
    json->BoolMember("hidden", (item.flags & OPTIF_HIDE) != 0);
    json->BoolMember("initial", (item.flags & OPTIF_INITIAL_TVITEM) != 0);
}

void WriteDevmode(JsonWriter* json, const ToolReport& report) {
    const HostReport& host = report.host;
    json->Key("plugin");
    json->BeginObject();
    json->IntMember("signature", host.signature);
    std::string signature;
    for (int shift = 24; shift >= 0; shift -= 8) {
        signature += static_cast<char>((host.signature >> shift) & 0xFF);
    }
    json->Member("signatureText", signature);
    json->IntMember("version", host.version);
    json->EndObject();

    json->Key("devmode");
    json->BeginObject();
    json->IntMember("size", host.devmodeSize);
    json->Member("defaultsResult", ResultName(report.defaultsResult));
    json->Member("defaults", HexBytes(report.defaults));
    json->Key("paperAdjustment");
    json->BeginArray();
    for (const PaperAdjustment& paper : report.paper) {
        json->BeginObject(true);
        json->Member("form", paper.form);
        json->IntMember("paper", paper.paper);
        json->IntMember("adjustedPaper", paper.adjustedPaper);
        json->Member("adjustedForm", paper.adjustedForm);
        json->Member("result", ResultName(paper.result));
        json->EndObject();
    }
    json->EndArray();
    json->EndObject();
}

void WriteDocumentSheet(JsonWriter* json, const ToolReport& report) {
    const HostReport& host = report.host;
    json->Key("installed");
    json->BeginArray();
    for (const auto& value : host.driverInstalled) {
        json->BeginObject(true);
        json->Member("keyword", "*" + AnsiToUtf8(value.first));
        json->Member("option", AnsiToUtf8(value.second));
        json->EndObject();
    }
    json->EndArray();

    json->Key("documentRead");
    if (report.pluginKnown) {
        json->Bool(report.documentRead);
    } else {
        json->Null();
    }
    json->Key("documentSheet");
    json->BeginArray();
    const ForbiddenLookup forbiddenOptions(report);
    for (const ItemReport& item : host.documentItems) {
        WriteItem(json, item);
        const ForbiddenOptions* forbidden = forbiddenOptions.For(item.keyword);
        const size_t count = forbidden != nullptr ? forbidden->options.size() : 0;
        json->Key("forbidden");
        if (!report.model.present) {
            json->Null();
        } else {
            json->BeginArray(true);
            for (size_t i = 0; i < count; ++i) {
                json->String(forbidden->options[i]);
            }
            json->EndArray();
        }
        // The setting that forbids each, in the same order; null members
        // for a mark no constraint explains.
        json->Key("forbiddenBy");
        if (!report.model.present) {
            json->Null();
        } else {
            json->BeginArray(true);
            for (size_t i = 0; i < count; ++i) {
                const std::pair<std::string, std::string>& setting = forbidden->decidedBy[i];
                json->BeginObject(true);
                json->Member("option", forbidden->options[i]);
                NullableMember(json, "keyword", setting.first, !setting.first.empty());
                NullableMember(json, "value", setting.second, !setting.first.empty());
                json->EndObject();
            }
            json->EndArray();
        }
        json->EndObject();
    }
    json->EndArray();
}

// The callback's answer and its name; both null when the plug-in
// registered no callback.
void WriteAction(JsonWriter* json, const char* key, const char* nameKey, LONG action) {
    if (action == DriverSession::kNoCallback) {
        json->Key(key);
        json->Null();
        json->Key(nameKey);
        json->Null();
        return;
    }
    json->IntMember(key, action);
    json->Member(nameKey, CallbackActionName(action));
}

void WriteColorChanges(JsonWriter* json, const HostReport& host) {
    json->Key("colorChanges");
    json->BeginArray();
    for (const ColorChange& change : host.colorChanges) {
        json->BeginObject();
        json->IntMember("selection", change.selection);
        json->Member("option", ColorOptionName(host, change.selection));
        WriteAction(json, "action", "actionName", change.result);
        json->Key("rendering");
        if (change.renderingItem >= 0) {
            json->BeginObject(true);
            json->IntMember("item", change.renderingItem);
            json->IntMember("sel", change.renderingSel);
            json->BoolMember("enabled", (change.renderingFlags & OPTIF_DISABLED) == 0);
            json->EndObject();
        } else {
            json->Null();
        }
        json->Key("hostTold");
        json->BeginArray();
        for (const ColorChange::Told& told : change.told) {
            json->BeginObject(true);
            json->IntMember("item", told.item);
            json->BoolMember("sameUiObject", told.pciMatches);
            json->IntMember("previousSelection", told.previousSelection);
            json->IntMember("mode", told.mode);
            json->IntMember("sel", told.sel);
            json->BoolMember("enabled", (told.flags & OPTIF_DISABLED) == 0);
            json->EndObject();
        }
        json->EndArray();
        json->EndObject();
    }
    json->EndArray();
    WriteAction(json, "applyAction", "applyActionName", host.applyResult);
}

void WriteEnd(JsonWriter* json, const HostReport& host) {
    json->Key("printerSheet");
    json->BeginArray();
    for (const ItemReport& item : host.printerItems) {
        WriteItem(json, item);
        json->EndObject();
    }
    json->EndArray();

    json->Key("colorProfile");
    json->BeginObject();
    json->Member("result", ResultName(host.profileResult));
    WideMember(json, "name", host.profileName);
    json->IntMember("size", host.profileSize);
    json->IntMember("flags", host.profileFlags);
    json->EndObject();

    json->Key("unload");
    json->BeginObject();
    json->IntMember("lastRelease", host.lastRelease);
    json->IntMember("driverUiReferences", host.driverUiReferences);
    json->Member("canUnloadNow", ResultName(host.unloadAnswer));
    json->EndObject();
}

void WriteModel(JsonWriter* json, const ModelSnapshot& model) {
    json->Key("model");
    if (!model.present) {
        json->Null();
        return;
    }
    json->BeginObject();
    json->Key("header");
    json->BeginObject();
    WideMember(json, "modelName", model.modelName);
    WideMember(json, "product", model.product);
    WideMember(json, "manufacturer", model.manufacturer);
    WideMember(json, "languageEncoding", model.languageEncoding);
    WideMember(json, "languageVersion", model.languageVersion);
    json->EndObject();

    json->Key("features");
    json->BeginArray();
    for (const ModelFeature& feature : model.features) {
        json->BeginObject();
        WideMember(json, "keyword", feature.keyword);
        WideMember(json, "translation", feature.translation);
        WideMember(json, "defaultOption", feature.defaultOption);
        WideMember(json, "groupKeyword", feature.groupKeyword);
        WideMember(json, "groupTranslation", feature.groupTranslation);
        json->IntMember("uiType", feature.uiType);
        json->IntMember("orderDependency", feature.orderDependency);
        json->Key("options");
        json->BeginArray();
        for (const ModelOption& option : feature.options) {
            json->BeginObject(true);
            WideMember(json, "keyword", option.keyword);
            WideMember(json, "translation", option.translation);
            json->BoolMember("constrained", option.constrained);
            json->EndObject();
        }
        json->EndArray();
        json->EndObject();
    }
    json->EndArray();

    json->Key("constraints");
    json->BeginArray();
    for (const std::vector<std::u16string>& constraint : model.constraints) {
        json->BeginArray(true);
        for (const std::u16string& word : constraint) {
            json->String(AsWide(word));
        }
        json->EndArray();
    }
    json->EndArray();

    json->Key("installables");
    json->BeginArray();
    for (const auto& setting : model.installables) {
        json->BeginObject(true);
        WideMember(json, "keyword", setting.first);
        WideMember(json, "value", setting.second);
        json->EndObject();
    }
    json->EndArray();
    json->EndObject();
}

}  // namespace

std::string FormatJsonReport(const ToolReport& report) {
    JsonWriter json;
    json.BeginObject();
    json.Member("ppd", PathFileName(report.ppdPath));
    json.Key("printer");
    if (report.printerName.empty()) {
        json.Null();
    } else {
        json.String(report.printerName);
    }
    json.Key("environment");
    json.BeginObject(true);
    json.IntMember("ansiCodePage", report.environment.ansiCodePage);
    json.IntMember("country", report.environment.country);
    json.IntMember("uiLanguage", report.environment.uiLanguage);
    json.EndObject();
    WriteDevmode(&json, report);
    WriteDocumentSheet(&json, report);
    WriteColorChanges(&json, report.host);
    WriteEnd(&json, report.host);
    WriteModel(&json, report.model);
    json.Key("modelUnavailable");
    if (report.modelUnavailable.empty()) {
        json.Null();
    } else {
        json.String(report.modelUnavailable);
    }
    json.EndObject();
    return json.Text();
}
