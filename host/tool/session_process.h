// kxpsui-host's report run, in two processes so that nothing of it stays
// behind whatever the plug-in does. The parent makes a private temporary
// folder, chooses the registration's tag and runs this program again as the
// session process: the child stages the PPD in the folder, registers the
// printer, loads the plug-in, drives it and writes its report (or one line
// of error) into the folder. The parent then removes whatever is left - the
// printer and the driver's record by name, the files the spooler copied, the
// folder - whether the child ended well, failed, faulted or was interrupted,
// and prints the report.
#pragma once

#include <string>
#include <vector>

#include "host/driver/plugin_binary.h"

// The first argument that makes kxpsui-host the session process; the
// folder's name in the temporary folder and the tag follow, then the
// user's arguments.
constexpr const char kSessionArgument[] = "--internal-session";

// The exit statuses of a report run.
enum ToolExit : int {
    kExitDone = 0,           // the run is done and the plug-in can be unloaded
    kExitUnloadFailed = 1,   // DllCanUnloadNow did not answer S_OK after the last release
    kExitBadInput = 2,       // bad input or a plug-in that does not load or make its object; one line on stderr
    kExitSessionFailed = 3,  // the session process faulted or ended without a report; one line on stderr
    kExitInterrupted = 130,  // Ctrl-C; one line on stderr
};

// What the tool was built with.
struct ToolBuild {
    const char* samplePpd;       // the PPD when none is given
    const char* pluginFileName;  // the plug-in beside the tool
    PluginIdentity plugin;       // the plug-in built with the tool, whose model may be read
};

// The parent: args without the program name. Returns the exit status.
int RunReport(const std::vector<std::string>& args);

// The child: args after kSessionArgument. Returns its exit status.
int RunSession(const std::vector<std::string>& args, const ToolBuild& build);
