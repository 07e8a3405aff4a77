#include "host/check/check_command.h"

#include "host/check/ppd_check.h"

int RunPpdCheck(const std::vector<std::string>& paths, FILE* out, FILE* err) {
    if (paths.empty()) {
        fputs("kxpsui-host: --check needs at least one PPD file\n", err);
        return 2;
    }
    const bool progress = paths.size() > 3;
    int status = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (progress) {
            fprintf(err, "[%d/%d] %s\n", static_cast<int>(i + 1), static_cast<int>(paths.size()), path.c_str());
        }
        PpdCheckResult result;
        std::string error;
        if (!CheckPpdFile(path, &result, &error)) {
            fprintf(err, "%s: error: cannot read the file: %s\n", path.c_str(), error.c_str());
            status = 2;
            continue;
        }
        for (const PpdFinding& finding : result.findings) {
            fprintf(out, "%s\n", FormatPpdFinding(path, finding).c_str());
        }
        if (!result.findings.empty() && status == 0) {
            status = 1;
        }
    }
    fflush(out);
    return status;
}
