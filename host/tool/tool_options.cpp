#include "host/tool/tool_options.h"

#include <sys/stat.h>

#include "host/driver/sheet_builder.h"

namespace {

const char kInstallableGroup[] = "InstallableOptions";
constexpr size_t kMaxSelectionDigits = 6;  // no feature has a million options

// A selection index: decimal digits only, so "-1", "1x" and "" are refused.
bool ParseSelection(const std::string& text, LONG* value) {
    if (text.empty() || text.size() > kMaxSelectionDigits) {
        return false;
    }
    LONG number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    *value = number;
    return true;
}

std::string WithoutStar(const std::string& keyword) {
    return !keyword.empty() && keyword[0] == '*' ? keyword.substr(1) : keyword;
}

std::string JoinedOptions(const DriverPpdFeature& feature) {
    std::string list;
    for (const std::string& option : feature.optionKeywords) {
        list += (list.empty() ? "" : ", ") + option;
    }
    return list.empty() ? "none" : list;
}

// Fetches the value of an option that takes one; *index moves past it.
bool TakeValue(const std::vector<std::string>& args, size_t* index, std::string* value, std::string* error) {
    if (*index + 1 >= args.size()) {
        *error = args[*index] + " needs a value (see --help)";
        return false;
    }
    *value = args[++*index];
    return true;
}

bool CheckSelection(const char* option, LONG selection, const DriverPpd& ppd, std::string* error) {
    const int color = FindDriverPpdFeature(ppd, kColorFeatureKeyword);
    if (color < 0) {
        *error = std::string(option) + " " + std::to_string(selection) + ": the PPD has no colour item (" +
                 kColorFeatureKeyword + ")";
        return false;
    }
    const size_t count = ppd.features[static_cast<size_t>(color)].optionKeywords.size();
    if (static_cast<size_t>(selection) >= count) {
        *error = std::string(option) + " " + std::to_string(selection) + ": the colour item has " +
                 std::to_string(count) + " options (0 to " + std::to_string(count == 0 ? 0 : count - 1) + ")";
        return false;
    }
    return true;
}

}  // namespace

bool ParseToolArguments(const std::vector<std::string>& args, ToolOptions* options, std::string* error) {
    *options = ToolOptions();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            return true;
        }
        if (arg == "--json") {
            options->json = true;
        } else if (arg == "--plugin") {
            if (!TakeValue(args, &i, &options->pluginPath, error)) {
                return false;
            }
            if (options->pluginPath.empty()) {
                *error = "--plugin needs a path";
                return false;
            }
        } else if (arg == "--installed") {
            if (!TakeValue(args, &i, &value, error)) {
                return false;
            }
            const size_t equals = value.find('=');
            const std::string feature = WithoutStar(value.substr(0, equals));
            if (equals == std::string::npos || feature.empty() || equals + 1 == value.size()) {
                *error = "--installed " + value + ": expected FEATURE=OPTION";
                return false;
            }
            options->installed.emplace_back(feature, value.substr(equals + 1));
        } else if (arg == "--color" || arg == "--change-color") {
            if (!TakeValue(args, &i, &value, error)) {
                return false;
            }
            LONG selection = 0;
            if (!ParseSelection(value, &selection)) {
                *error = arg + " " + value + ": expected an option index (0, 1, ...)";
                return false;
            }
            if (arg == "--color") {
                options->colorSelection = selection;
            } else {
                options->colorChangesGiven = true;
                options->colorChanges.push_back(selection);
            }
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option " + arg + " (see --help)";
            return false;
        } else if (!options->ppdPath.empty()) {
            *error = "one PPD at a time: " + options->ppdPath + " and " + arg + " (--check takes several)";
            return false;
        } else if (arg.empty()) {
            *error = "empty PPD path";
            return false;
        } else {
            options->ppdPath = arg;
        }
    }
    return true;
}

bool ValidateToolOptions(const ToolOptions& options, const DriverPpd& ppd, std::string* error) {
    for (const auto& installed : options.installed) {
        const std::string keyword = "*" + installed.first;
        const int index = FindDriverPpdFeature(ppd, keyword);
        const std::string what = "--installed " + installed.first + "=" + installed.second + ": ";
        if (index < 0) {
            *error = what + "the PPD has no feature " + keyword;
            return false;
        }
        const DriverPpdFeature& feature = ppd.features[static_cast<size_t>(index)];
        if (feature.group != kInstallableGroup) {
            *error = what + keyword + " is not in the " + kInstallableGroup + " group";
            return false;
        }
        if (FindDriverPpdOption(feature, installed.second) < 0) {
            *error = what + keyword + " has no option " + installed.second + " (" + JoinedOptions(feature) + ")";
            return false;
        }
    }
    if (options.colorSelection >= 0 && !CheckSelection("--color", options.colorSelection, ppd, error)) {
        return false;
    }
    for (LONG selection : options.colorChanges) {
        if (!CheckSelection("--change-color", selection, ppd, error)) {
            return false;
        }
    }
    return true;
}

bool CheckPpdPath(const std::string& path, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        *error = "PPD " + path + ": no such file";
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        *error = "PPD " + path + ": is a directory";
        return false;
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "PPD " + path + ": cannot be opened for reading";
        return false;
    }
    char byte;
    const bool failed = fread(&byte, 1, 1, file) != 1 && ferror(file) != 0;
    fclose(file);
    if (failed) {
        *error = "PPD " + path + ": cannot be read";
        return false;
    }
    return true;
}

void PrintToolUsage(FILE* out) {
    fputs(
        "usage: kxpsui-host [PPD] [options]\n"
        "       kxpsui-host --check PPD...\n"
        "\n"
        "Runs the kxpsui plug-in through the calls the printer driver's UI core makes, for one\n"
        "PPD (default: the project's sample PPD), and reports what the plug-in does.\n"
        "\n"
        "  --installed FEATURE=OPTION  what the host answers for an installable option\n"
        "                              (repeatable; default: the PPD's defaults)\n"
        "  --color N                   the colour item's selection when the document sheet\n"
        "                              opens (default: the PPD's default option)\n"
        "  --change-color N            the user picks option N of the colour item (repeatable;\n"
        "                              default: 0, then 1, then 0)\n"
        "  --plugin PATH               the plug-in binary (default: the one beside this tool)\n"
        "  --json                      the report as one JSON document, the PPD model included\n"
        "  --check PPD...              check PPD files for what would change the plug-in's\n"
        "                              behaviour; exit status 0 clean, 1 findings, 2 unreadable\n"
        "\n"
        "Locale, ANSI code page and UI language come from the environment (LC_ALL).\n"
        "Exit status: 0 done and the plug-in unloads cleanly, 1 it does not unload,\n"
        "2 bad input (PPD, options or plug-in binary).\n",
        out);
}
