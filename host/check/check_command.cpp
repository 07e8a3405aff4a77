#include "host/check/check_command.h"

#include "host/check/ppd_check.h"
#include "host/common/json_writer.h"
#include "platform/platform.h"

namespace {

constexpr int kExitClean = 0;  // infos only, or nothing
constexpr int kExitFindings = 1;
constexpr int kExitBadInput = 2;
constexpr size_t kQuietFileCount = 3;  // more files than this get progress lines

struct CheckOptions {
    bool json = false;
    bool help = false;
    std::vector<std::string> paths;  // as given
};

struct FindingCounts {
    int errors = 0;
    int warnings = 0;
    int infos = 0;

    void Count(PpdSeverity severity) {
        switch (severity) {
            case PpdSeverity::kError:
                ++errors;
                break;
            case PpdSeverity::kWarning:
                ++warnings;
                break;
            case PpdSeverity::kInfo:
                ++infos;
                break;
        }
    }
    void Add(const FindingCounts& other) {
        errors += other.errors;
        warnings += other.warnings;
        infos += other.infos;
    }
};

// False with a one-line reason. --help ends the parse where it stands.
bool ParseCheckArguments(const std::vector<std::string>& args, CheckOptions* options, std::string* error) {
    bool pathsOnly = false;
    for (const std::string& arg : args) {
        if (pathsOnly || arg.size() < 2 || arg[0] != '-') {
            options->paths.push_back(arg);
        } else if (arg == "--") {
            pathsOnly = true;
        } else if (arg == "--check") {
            // the command itself, wherever it stands
        } else if (arg == "--json") {
            options->json = true;
        } else if (arg == "--help" || arg == "-h") {
            options->help = true;
            return true;
        } else {
            *error = "unknown option " + arg + " for --check (see --check --help)";
            return false;
        }
    }
    if (options->paths.empty()) {
        *error = "--check needs at least one PPD file (see --check --help)";
        return false;
    }
    return true;
}

// A path as given, in the C runtime's narrow encoding, as UTF-16: the JSON is
// UTF-8 on both builds.
std::u16string PathText(const std::string& path) {
    const int size = static_cast<int>(path.size());
    const int units = size == 0 ? 0 : MultiByteToWideChar(KX_ARGV_CODEPAGE, 0, path.data(), size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0) {
        MultiByteToWideChar(KX_ARGV_CODEPAGE, 0, path.data(), size, reinterpret_cast<LPWSTR>(&wide[0]), units);
    }
    return wide;
}

std::string Counted(int count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void WriteJsonCounts(JsonWriter* json, const FindingCounts& counts) {
    json->IntMember("errors", counts.errors);
    json->IntMember("warnings", counts.warnings);
    json->IntMember("infos", counts.infos);
}

void WriteJsonFile(JsonWriter* json, const std::string& path, const std::string* readError,
                   const PpdCheckResult& result, const FindingCounts& counts) {
    json->BeginObject();
    json->Key("path");
    json->String(reinterpret_cast<const WCHAR*>(PathText(path).c_str()));
    json->Key("readError");
    if (readError != nullptr) {
        json->String(*readError);
    } else {
        json->Null();
    }
    json->Key("findings");
    json->BeginArray();
    for (const PpdFinding& finding : result.findings) {
        json->BeginObject(true);
        json->IntMember("line", finding.line);
        json->Member("severity", PpdSeverityName(finding.severity));
        json->Member("code", PpdFindingCodeName(finding.code));
        json->Member("message", finding.message);
        json->EndObject();
    }
    json->EndArray();
    json->Key("counts");
    json->BeginObject(true);
    WriteJsonCounts(json, counts);
    json->EndObject();
    json->EndObject();
}

void PrintCheckUsage(FILE* out) {
    fputs(
        "usage: kxpsui-host --check [--json] PPD...\n"
        "\n"
        "Checks PPD files for what would silently change the kxpsui plug-in's reading of\n"
        "them, as its reader reads them, one line per finding:\n"
        "PATH:LINE: SEVERITY: MESSAGE [CODE], then a summary line. A file that is not a\n"
        "PPD (empty, binary, or not starting with *PPD-Adobe) is an error.\n"
        "\n"
        "  --json      one JSON document instead: per file its findings and counts, then\n"
        "              the totals\n"
        "  --          the arguments after it are PPD paths, even those starting with '-'\n"
        "  --help, -h  this text\n"
        "\n"
        "Options may stand anywhere on the line. Exit status: 0 no finding or infos only,\n"
        "1 a warning or an error, 2 a usage error or a file that cannot be read (the other\n"
        "files are still checked).\n",
        out);
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, FILE* out, FILE* err) {
    CheckOptions options;
    std::string error;
    if (!ParseCheckArguments(args, &options, &error)) {
        fprintf(err, "kxpsui-host: %s\n", error.c_str());
        return kExitBadInput;
    }
    if (options.help) {
        PrintCheckUsage(out);
        return kExitClean;
    }
    JsonWriter json;
    if (options.json) {
        json.BeginObject();
        json.Key("files");
        json.BeginArray();
    }
    const size_t fileCount = options.paths.size();
    int unreadable = 0;
    FindingCounts totals;
    for (size_t i = 0; i < fileCount; ++i) {
        const std::string& path = options.paths[i];
        if (fileCount > kQuietFileCount) {
            fprintf(err, "[%d/%d] %s\n", static_cast<int>(i + 1), static_cast<int>(fileCount), path.c_str());
        }
        PpdCheckResult result;
        const bool read = CheckPpdFile(path, &result, &error);
        if (!read) {
            fprintf(err, "kxpsui-host: %s: cannot read the file: %s\n", path.c_str(), error.c_str());
            ++unreadable;
        }
        FindingCounts counts;
        for (const PpdFinding& finding : result.findings) {
            counts.Count(finding.severity);
        }
        totals.Add(counts);
        if (options.json) {
            WriteJsonFile(&json, path, read ? nullptr : &error, result, counts);
            continue;
        }
        for (const PpdFinding& finding : result.findings) {
            fprintf(out, "%s\n", FormatPpdFinding(path, finding).c_str());
        }
    }
    if (options.json) {
        json.EndArray();
        json.Key("totals");
        json.BeginObject(true);
        json.IntMember("files", static_cast<int64_t>(fileCount));
        json.IntMember("unreadable", unreadable);
        WriteJsonCounts(&json, totals);
        json.EndObject();
        json.EndObject();
        fwrite(json.Text().data(), 1, json.Text().size(), out);
    } else {
        const std::string files = Counted(static_cast<int>(fileCount), "file") +
                                  (unreadable > 0 ? " (" + std::to_string(unreadable) + " unreadable)" : "");
        fprintf(out, "%s: %s, %s, %s\n", files.c_str(), Counted(totals.errors, "error").c_str(),
                Counted(totals.warnings, "warning").c_str(), Counted(totals.infos, "info").c_str());
    }
    // A CI system must not take results that never arrived for a pass.
    if (fflush(out) != 0 || ferror(out) != 0) {
        fputs("kxpsui-host: cannot write the check's results\n", err);
        return kExitBadInput;
    }
    if (unreadable > 0) {
        return kExitBadInput;
    }
    return totals.errors + totals.warnings > 0 ? kExitFindings : kExitClean;
}
