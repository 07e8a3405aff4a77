#include "package/package_command.h"

#include <stdlib.h>
#include <time.h>

#include "host/check/ppd_check.h"
#include "kx_version.h"
#include "package/package_files.h"
#include "package/pe_check.h"

namespace {

struct PackageOptions {
    bool help = false;
    std::string outDir;
    std::vector<std::string> ppdPaths;
    std::string dllPath;
    std::string dateText;  // YYYY-MM-DD; empty for today
    bool force = false;
    bool allowWarnings = false;
};

void Report(FILE* err, const std::string& message) {
    fprintf(err, "kxpsui-package: %s\n", message.c_str());
}

// The options: each a flag, or one that takes the next argument.
struct OptionRow {
    const char* name;
    bool PackageOptions::*flag;
    std::string PackageOptions::*value;
};

const OptionRow kOptions[] = {
    {"--dll", nullptr, &PackageOptions::dllPath},
    {"--date", nullptr, &PackageOptions::dateText},
    {"--force", &PackageOptions::force, nullptr},
    {"--allow-warnings", &PackageOptions::allowWarnings, nullptr},
};

bool ParseArguments(const std::vector<std::string>& args, PackageOptions* options, std::string* error) {
    bool given[sizeof(kOptions) / sizeof(kOptions[0])] = {};
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            continue;
        }
        size_t row = 0;
        while (row < sizeof(kOptions) / sizeof(kOptions[0]) && arg != kOptions[row].name) {
            ++row;
        }
        if (row == sizeof(kOptions) / sizeof(kOptions[0])) {
            *error = "unknown option " + arg;
            return false;
        }
        if (given[row]) {
            *error = arg + " given twice";
            return false;
        }
        given[row] = true;
        if (kOptions[row].flag != nullptr) {
            options->*kOptions[row].flag = true;
        } else if (i + 1 < args.size()) {
            options->*kOptions[row].value = args[++i];
        } else {
            *error = arg + " needs a value";
            return false;
        }
    }
    if (options->help) {
        return true;
    }
    if (operands.size() < 2) {
        *error = operands.empty() ? "no OUTDIR and no PPD given" : "no PPD given";
        return false;
    }
    options->outDir = operands[0];
    options->ppdPaths.assign(operands.begin() + 1, operands.end());
    return true;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// YYYY-MM-DD, a day of the calendar; empty for today's local date.
bool ParseDate(const std::string& text, PackageDate* date, std::string* error) {
    if (text.empty()) {
        const time_t now = time(nullptr);
        const struct tm* local = localtime(&now);
        if (local == nullptr) {
            *error = "today's date is unknown; give --date";
            return false;
        }
        *date = PackageDate{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
        return true;
    }
    bool digits = text.size() == 10 && text[4] == '-' && text[7] == '-';
    for (size_t i = 0; i < text.size() && digits; ++i) {
        digits = i == 4 || i == 7 || (text[i] >= '0' && text[i] <= '9');
    }
    if (digits) {
        static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        *date = PackageDate{atoi(text.substr(0, 4).c_str()), atoi(text.substr(5, 2).c_str()),
                            atoi(text.substr(8, 2).c_str())};
        const bool validMonth = date->month >= 1 && date->month <= 12;
        const int monthDays =
            validMonth ? kMonthDays[date->month - 1] + (date->month == 2 && IsLeapYear(date->year) ? 1 : 0) : 0;
        if (date->year >= 1 && validMonth && date->day >= 1 && date->day <= monthDays) {
            return true;
        }
    }
    *error = "--date " + text + ": expected a day as YYYY-MM-DD";
    return false;
}

bool CheckPlugin(const std::string& path, const std::string& bytes, std::string* error) {
    PluginImageVersion version;
    if (!CheckPluginImage(bytes, &version, error)) {
        *error = path + ": " + *error + "; the package needs the x64 kxpsui.dll";
        return false;
    }
    const std::string versionText = PluginImageVersionText(version);
    if (versionText != KX_VERSION_TEXT) {
        *error = path + ": file version " + versionText + ", the package's is " + KX_VERSION_TEXT;
        return false;
    }
    return true;
}

std::string Counted(size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void PrintUsage(FILE* out) {
    fputs(
        "usage: kxpsui-package [options] OUTDIR PPD...\n"
        "\n"
        "Builds the driver package of the kxpsui plug-in for the given PPDs in the new folder\n"
        "OUTDIR: the INF, the plug-in configuration file, kxpsui.dll, the PPDs and a manifest.\n"
        "Every PPD goes through the PPD check first; nothing is written when the package is refused.\n"
        "\n"
        "  --dll PATH         the plug-in to ship (default: the Windows build's kxpsui.dll)\n"
        "  --date YYYY-MM-DD  the INF's driver date (default: today)\n"
        "  --force            replace OUTDIR when it is a package folder of this tool\n"
        "  --allow-warnings   build although the check warns (errors always refuse)\n"
        "\n"
        "Exit status: 0 built, 1 refused (check findings, or a package that would misbehave),\n"
        "2 usage or I/O error, 130 interrupted.\n",
        out);
}

}  // namespace

int RunPackageCommand(const std::vector<std::string>& args, FILE* out, FILE* err) {
    PackageOptions options;
    std::string error;
    DriverPackage package;
    if (!ParseArguments(args, &options, &error) ||
        (!options.help && !ParseDate(options.dateText, &package.date, &error))) {
        Report(err, error + " (see --help)");
        return kPackageUsageError;
    }
    if (options.help) {
        PrintUsage(out);
        return kPackageBuilt;
    }
    if (!CheckOutputFolder(options.outDir, options.force, &error)) {
        Report(err, error);
        return kPackageUsageError;
    }
    const std::string dllPath = options.dllPath.empty() ? KX_DEFAULT_PLUGIN_DLL : options.dllPath;
    if (dllPath.empty()) {
        Report(err, "no --dll given, and this build knows no Windows build's kxpsui.dll");
        return kPackageUsageError;
    }
    if (!ReadWholeFile(dllPath, &package.pluginBytes, &error)) {
        Report(err, error);
        return kPackageUsageError;
    }
    std::vector<std::string> fileNames;
    if (!CheckPlugin(dllPath, package.pluginBytes, &error) || !NamePackagePpds(options.ppdPaths, &fileNames, &error)) {
        Report(err, error);
        return kPackageRefused;
    }

    // Every PPD is read and checked, so that one run reports them all.
    bool unreadable = false;
    int errors = 0;
    int warnings = 0;
    for (size_t i = 0; i < options.ppdPaths.size(); ++i) {
        PackagePpd ppd;
        ppd.path = options.ppdPaths[i];
        ppd.fileName = fileNames[i];
        if (!ReadWholeFile(ppd.path, &ppd.bytes, &error)) {
            Report(err, error);
            unreadable = true;
            continue;
        }
        for (const PpdFinding& finding : CheckPpdBytes(ppd.bytes).findings) {
            errors += finding.severity == PpdSeverity::kError ? 1 : 0;
            warnings += finding.severity == PpdSeverity::kWarning ? 1 : 0;
            if (finding.severity != PpdSeverity::kInfo) {
                Report(err, FormatPpdFinding(ppd.path, finding));
            }
        }
        package.ppds.push_back(ppd);
    }
    if (unreadable) {
        return kPackageUsageError;
    }
    if (errors > 0 || (warnings > 0 && !options.allowWarnings)) {
        Report(err, "refused: the check finds " + Counted(errors, "error") + " and " + Counted(warnings, "warning") +
                        (errors == 0 ? " (--allow-warnings builds despite warnings)" : ""));
        return kPackageRefused;
    }
    for (PackagePpd& ppd : package.ppds) {
        if (!ReadPpdIdentity(ppd.bytes, &ppd.identity, &error)) {
            Report(err, ppd.path + ": " + error);
            return kPackageRefused;
        }
    }
    if (!NamePackageModels(&package, &error)) {
        Report(err, error);
        return kPackageRefused;
    }

    const std::vector<PackageFile> files = PackageFiles(package);
    switch (WritePackageFolder(options.outDir, files, options.force, &error)) {
        case PackageWrite::kWritten:
            fprintf(out, "kxpsui-package: built %s: %s, %s\n", options.outDir.c_str(),
                    Counted(package.ppds.size(), "model").c_str(), Counted(files.size(), "file").c_str());
            return kPackageBuilt;
        case PackageWrite::kInterrupted:
            Report(err, error);
            return kPackageInterrupted;
        case PackageWrite::kFailed:
            break;
    }
    Report(err, error);
    return kPackageUsageError;
}
