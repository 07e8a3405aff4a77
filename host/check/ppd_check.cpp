#include "host/check/ppd_check.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "host/check/check_findings.h"
#include "host/check/check_input.h"
#include "host/check/check_scan.h"

namespace {

int LineCount(const std::string& bytes) {
    int lines = 1;
    for (char c : bytes) {
        lines += c == '\n' || c == '\r' ? 1 : 0;
    }
    return lines;
}

}  // namespace

PpdCheckResult CheckPpdBytes(const std::string& fileBytes) {
    const TextModeInput input = ReadAsTextMode(fileBytes);
    ScannedPpd scanned = ScanPpd(input.bytes);
    if (input.cut) {
        scanned.findings.push_back(PpdFinding{LineCount(input.bytes), PpdSeverity::kError,
                                              "a 0x1A byte ends the input here: the rest of the file is never read"});
    }
    PpdCheckResult result;
    result.findings = JudgeScannedPpd(scanned, &result.stopLine);
    for (const FeatureRecord& feature : scanned.features) {
        if (feature.reached) {
            ++result.featureCount;
            result.optionCount += static_cast<int>(feature.options.size());
            result.installableCount += feature.hasSetting() ? 1 : 0;
        }
    }
    for (const ConstraintRecord& constraint : scanned.constraints) {
        result.constraintCount += constraint.reached ? 1 : 0;
    }
    return result;
}

bool CheckPpdFile(const std::string& path, PpdCheckResult* result, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR) {
        *error = "is a directory";
        return false;
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = strerror(errno);
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, count);
    }
    const bool failed = ferror(file) != 0;
    const int readError = errno;
    fclose(file);
    if (failed) {
        *error = std::string("read error: ") + strerror(readError);
        return false;
    }
    *result = CheckPpdBytes(bytes);
    return true;
}

const char* PpdSeverityName(PpdSeverity severity) {
    switch (severity) {
        case PpdSeverity::kError:
            return "error";
        case PpdSeverity::kWarning:
            return "warning";
        case PpdSeverity::kInfo:
            break;
    }
    return "info";
}

std::string FormatPpdFinding(const std::string& path, const PpdFinding& finding) {
    std::string line = path + ":";
    if (finding.line > 0) {
        line += std::to_string(finding.line) + ":";
    }
    return line + " " + PpdSeverityName(finding.severity) + ": " + finding.message;
}
