#include "host/tool/tool_options.h"

#include <ctype.h>
#include <string.h>
#include <sys/stat.h>

#include "host/driver/sheet_builder.h"

namespace {

const char kInstallableGroup[] = "InstallableOptions";

// A colour selection: 0, 1 or an option's name in any case. *outOfRange
// tells a number beyond the two options from text that is no selection.
bool ParseColorSelection(const std::string& text, LONG* value, bool* outOfRange) {
    *outOfRange = false;
    for (LONG index = 0; index < 2; ++index) {
        const char* name = kColorItemOptions[index];
        bool same = text.size() == strlen(name);
        for (size_t i = 0; same && i < text.size(); ++i) {
            same = tolower(static_cast<unsigned char>(text[i])) == tolower(static_cast<unsigned char>(name[i]));
        }
        if (same) {
            *value = index;
            return true;
        }
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const size_t digits = text.find_first_not_of('0');
    const std::string number = digits == std::string::npos ? "0" : text.substr(digits);
    if (number != "0" && number != "1") {
        *outOfRange = true;
        return false;
    }
    *value = number == "1" ? kColorSelectionColor : kColorSelectionGrayscale;
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
        } else if (arg == "--html") {
            if (!options->htmlPath.empty()) {
                *error = "--html given twice (one page per run)";
                return false;
            }
            if (!TakeValue(args, &i, &options->htmlPath, error)) {
                return false;
            }
            // A page named like an option is a forgotten file name.
            const std::string& path = options->htmlPath;
            if (path.empty() || (path[0] == '-' && path != "-")) {
                *error = "--html " + path + ": expected a file name, or - for standard output";
                return false;
            }
        } else if (arg == "--plugin") {
            if (!TakeValue(args, &i, &options->pluginPath, error)) {
                return false;
            }
            if (options->pluginPath.empty()) {
                *error = "--plugin needs a path";
                return false;
            }
        } else if (arg == "--printer") {
            if (!TakeValue(args, &i, &options->printerName, error)) {
                return false;
            }
            if (options->printerName.empty()) {
                *error = "--printer needs a printer's name";
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
            bool outOfRange = false;
            if (!ParseColorSelection(value, &selection, &outOfRange)) {
                *error = arg + " " + value +
                         (outOfRange ? ": the colour item has two options, 0 (Grayscale) and 1 (Color)"
                                     : ": expected 0, 1, Grayscale or Color");
                return false;
            }
            if (arg == "--color") {
                if (options->colorSelection >= 0) {
                    *error = "--color given twice (the colour item opens with one selection)";
                    return false;
                }
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
    if (options->json && options->htmlPath == "-") {
        *error = "--html - and --json: standard output takes one of the two; give --html a file name";
        return false;
    }
    if (!options->printerName.empty() && !options->ppdPath.empty()) {
        *error = "--printer " + options->printerName + " and the PPD " + options->ppdPath +
                 ": a printer's PPD is the one its driver names";
        return false;
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
    if (!ppd.colorDevice && (options.colorSelection >= 0 || options.colorChangesGiven)) {
        *error = std::string(options.colorSelection >= 0 ? "--color" : "--change-color") +
                 ": the PPD has no colour item (its *ColorDevice is not True)";
        return false;
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
        "       kxpsui-host --printer NAME [options]\n"
        "       kxpsui-host --check [--json] PPD...   (see --check --help)\n"
        "\n"
        "Runs the kxpsui plug-in through the calls the printer driver's UI core makes, for one\n"
        "PPD (default: the project's sample PPD) on a printer of its own that it removes again,\n"
        "or for an installed printer, and reports what the plug-in does.\n"
        "\n"
        "  --installed FEATURE=OPTION  what the host answers for an installable option\n"
        "                              (repeatable; default: the PPD's defaults)\n"
        "  --color C                   the colour item's selection when the document sheet\n"
        "                              opens: 0 or Grayscale, 1 or Color (default: Color)\n"
        "  --change-color C            the user picks C in the colour item (repeatable;\n"
        "                              default: Grayscale, then Color, then Grayscale)\n"
        "  --printer NAME              an installed printer instead of a PPD: its PPD is the one\n"
        "                              the spooler names, and nothing is added or deleted\n"
        "                              (Windows and Wine only)\n"
        "  --plugin PATH               the plug-in binary (default: the one beside this tool); the\n"
        "                              model is read only from the one built with this tool\n"
        "  --json                      the report as one JSON document, the PPD model included\n"
        "  --html FILE                 also write the report as an HTML page that draws the two\n"
        "                              sheets (FILE - : the page on standard output instead)\n"
        "  --check PPD...              check PPD files for what would change the plug-in's\n"
        "                              reading of them instead (see --check --help)\n"
        "\n"
        "Locale, ANSI code page and UI language come from the environment (LC_ALL).\n"
        "Exit status: 0 done and the plug-in unloads cleanly; 1 it does not unload; 2 bad input\n"
        "(PPD, options, printer, or a plug-in that does not load or make its object); 3 the\n"
        "plug-in's session ended abnormally (a fault); 130 interrupted (Ctrl-C). Whatever the\n"
        "status, nothing of the run is left in the spooler or on disk.\n",
        out);
}
