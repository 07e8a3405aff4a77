// kxpsui-host: runs the real plug-in binary through the calls the driver's UI
// core makes and reports what it does, as text or as JSON; --check checks
// PPD files instead.
#include <stdio.h>

#include <string>
#include <vector>

#include "host/common/text.h"
#include "host/ppd_check.h"
#include "host/report/tool_report.h"
#include "host/tool/tool_options.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitUnloadFailed = 1;
constexpr int kExitBadInput = 2;

int Fail(const std::string& message) {
    fprintf(stderr, "kxpsui-host: %s\n", message.c_str());
    return kExitBadInput;
}

// Both builds write the same bytes: UTF-8, LF line ends (stdout is binary).
void WriteOut(const std::string& text) {
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

// The check over the whole command line, until it parses the line itself:
// the PPD paths are every argument but --check.
int RunCheckCommand(const std::vector<std::string>& args, FILE* out, FILE* err) {
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg != "--check") {
            paths.push_back(arg);
        }
    }
    return RunPpdCheck(paths, out, err);
}

}  // namespace

int main(int argc, char** argv) {
    KxSetBinaryStdout();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--check") {
            return RunCheckCommand(args, stdout, stderr);
        }
    }
    ToolOptions options;
    std::string error;
    if (!ParseToolArguments(args, &options, &error)) {
        return Fail(error);
    }
    if (options.help) {
        PrintToolUsage(stdout);
        return kExitDone;
    }

    if (options.ppdPath.empty()) {
        options.ppdPath = KX_SAMPLE_PPD;
    }
    if (options.pluginPath.empty()) {
        options.pluginPath = KX_PLUGIN_FILE_NAME;  // the loader looks beside the tool first
    }
    DriverPpd ppd;
    if (!CheckPpdPath(options.ppdPath, &error) || !ReadDriverPpd(options.ppdPath, &ppd, &error) ||
        !ValidateToolOptions(options, ppd, &error)) {
        return Fail(error);
    }

    PluginBinary binary;
    if (!LoadPluginBinary(ArgumentToUtf16(options.pluginPath), &binary, &error)) {
        return Fail(error);
    }
    HostRunOptions run;
    run.ppdPath = options.ppdPath;
    run.installed = options.installed;
    run.colorSelection = options.colorSelection;
    if (options.colorChangesGiven) {
        run.colorChanges = options.colorChanges;
    }
    ToolReport report;
    if (!CollectToolReport(binary, options.pluginPath, run, &report, &error)) {
        return Fail(error);
    }
    WriteOut(options.json ? FormatJsonReport(report) : FormatTextReport(report));
    return report.host.unloadAnswer == S_OK ? kExitDone : kExitUnloadFailed;
}
