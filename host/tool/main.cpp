// kxpsui-host: runs the real plug-in binary through the calls the driver's UI
// core makes and reports what it does, as text or as JSON; --check checks
// PPD files instead.
#include <stdio.h>

#include <string>
#include <vector>

#include "host/check/check_command.h"
#include "host/tool/kx_plugin_identity.h"
#include "host/tool/session_process.h"

int main(int argc, char** argv) {
    // Both builds write the same bytes: UTF-8, LF line ends.
    KxSetBinaryStdout();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!args.empty() && args[0] == kSessionArgument) {
        const ToolBuild build = {KX_SAMPLE_PPD, KX_PLUGIN_FILE_NAME, {KX_BUILT_PLUGIN_SIZE, KX_BUILT_PLUGIN_SHA256}};
        return RunSession(std::vector<std::string>(args.begin() + 1, args.end()), build);
    }
    for (const std::string& arg : args) {
        if (arg == "--check") {
            return RunCheckCommand(args, stdout, stderr);
        }
    }
    return RunReport(args);
}
