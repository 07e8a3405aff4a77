#include "host/tool/session_process.h"

#include <stdio.h>
#include <string.h>

#include <atomic>

#include "host/common/files.h"
#include "host/common/temp_folder.h"
#include "host/common/text.h"
#include "host/driver/printer_registration.h"
#include "host/report/tool_report.h"
#include "host/tool/tool_options.h"

namespace {

// What the session process leaves in the folder for the parent.
const char16_t kReportFile[] = u"report";
const char16_t kPageFile[] = u"page";  // with --html FILE: the page, while the report goes to stdout
const char16_t kErrorFile[] = u"error";

// Ctrl-C reaches both processes: the child ends, the parent notes it and
// goes on to remove what the child left.
std::atomic<bool> interrupted(false);

BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    interrupted = true;
    return TRUE;
}

// A fault anywhere in the session process ends it at once, with the
// exception's code as its exit code: no debugger, no error box.
LONG WINAPI EndTheSession(PEXCEPTION_POINTERS) {
    return EXCEPTION_EXECUTE_HANDLER;
}

int Fail(const std::string& message, int status) {
    fprintf(stderr, "kxpsui-host: %s\n", message.c_str());
    return status;
}

// One argument as the child's C runtime parses it back: quoted, quotes
// escaped, backslashes doubled where they come before a quote.
std::u16string Quoted(const std::u16string& arg) {
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (char16_t c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, u'\\');
    return quoted + u"\"";
}

std::string Describe(DWORD exitCode) {
    char code[16];
    snprintf(code, sizeof(code), exitCode > 0xFFFF ? "0x%08lX" : "%lu", static_cast<unsigned long>(exitCode));
    const char* what = exitCode == STATUS_ACCESS_VIOLATION ? ", an access violation" : "";
    return std::string(code) + what;
}

// Starts this program as the session process and waits for it; its exit
// code, or false when it cannot be started.
bool RunChild(const std::u16string& folderName, const std::u16string& tag, const std::vector<std::string>& args,
              DWORD* exitCode, std::string* error) {
    const std::u16string self = ModuleFileName(nullptr);
    if (self.empty()) {
        *error = "cannot find this program's own file (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // The folder and the tag are ASCII names, whatever the code page.
    std::u16string line =
        Quoted(self) + u" " + Utf8ToUtf16(kSessionArgument) + u" " + Quoted(folderName) + u" " + Quoted(tag);
    for (const std::string& arg : args) {
        line += u" " + Quoted(ArgumentToUtf16(arg));
    }
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child;
    memset(&child, 0, sizeof(child));
    if (!CreateProcessW(AsWide(self), AsWide(&line), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        *error = "cannot start the session process (CreateProcessW error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    if (!GetExitCodeProcess(child.hProcess, exitCode)) {
        *exitCode = static_cast<DWORD>(kExitSessionFailed);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return true;
}

// The child's error for the parent, and its exit status.
int SessionError(const std::u16string& folder, const std::string& message, int status) {
    return WriteFileBytes(JoinPath(folder, kErrorFile), message) ? status : kExitSessionFailed;
}

// Reads the PPD the driver sees: the argument, or the queue's data file
// through the spooler; registers the host's own printer for an argument.
bool OpenPrinter(const ToolOptions& options, const Registration& registration, HostPrinter* printer, DriverPpd* ppd,
                 std::string* error) {
    if (!options.printerName.empty()) {
        return printer->Open(ArgumentToUtf16(options.printerName), error) &&
               ReadDriverPpd(printer->DataFile(), ppd, error) && ValidateToolOptions(options, *ppd, error);
    }
    return CheckPpdPath(options.ppdPath, error) && ReadDriverPpd(options.ppdPath, ppd, error) &&
           ValidateToolOptions(options, *ppd, error) && printer->Add(options.ppdPath, registration, error);
}

// The page into its file: written beside it under a name of its own and
// renamed over it, so that the file is whole or untouched, never partial.
bool WritePage(const std::string& path, const std::string& page, std::string* error) {
    const std::u16string target = ArgumentToUtf16(path);
    const std::u16string temporary = target + u".kxpsui-host-" + Utf8ToUtf16(Hex8(GetCurrentProcessId())) + u".tmp";
    if (target.empty() || !WriteFileBytes(temporary, page)) {
        DeleteFileW(AsWide(temporary));
        *error = "--html " + path + ": cannot write the file";
        return false;
    }
    if (!MoveFileExW(AsWide(temporary), AsWide(target), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD code = GetLastError();
        DeleteFileW(AsWide(temporary));
        *error = "--html " + path + ": cannot write the file (error " + std::to_string(code) + ")";
        return false;
    }
    return true;
}

}  // namespace

int RunReport(const std::vector<std::string>& args) {
    ToolOptions options;
    std::string error;
    if (!ParseToolArguments(args, &options, &error)) {
        return Fail(error, kExitBadInput);
    }
    if (options.help) {
        PrintToolUsage(stdout);
        return kExitDone;
    }
    if (!options.printerName.empty() && !KX_SHARED_SPOOLER) {
        return Fail("--printer " + options.printerName +
                        ": this build's spooler holds only the printers it adds itself; use kxpsui-host.exe on "
                        "Windows or under Wine",
                    kExitBadInput);
    }
    SetConsoleCtrlHandler(NoteInterrupt, TRUE);
    TempFolder folder;
    if (interrupted || !folder.Create("kxpsui-host", &error)) {
        return interrupted ? Fail("interrupted", kExitInterrupted) : Fail(error, kExitBadInput);
    }
    const std::u16string tag = NewRegistrationTag();
    DWORD exitCode = 0;
    const bool ran = !interrupted && RunChild(folder.Name(), tag, args, &exitCode, &error);
    // Whatever became of the child, nothing of the run stays.
    if (options.printerName.empty()) {
        RemoveRegistration(RegistrationFor(folder.Path(), tag));
    }
    std::string report;
    std::string childError;
    const bool hasReport = ReadFileBytes(JoinPath(folder.Path(), kReportFile), &report);
    const bool hasError = ReadFileBytes(JoinPath(folder.Path(), kErrorFile), &childError);
    std::string page;
    const bool pageToFile = !options.htmlPath.empty() && options.htmlPath != "-";
    const bool hasPage = pageToFile && ReadFileBytes(JoinPath(folder.Path(), kPageFile), &page);
    const std::string folderPath = Utf16ToUtf8(folder.Path());
    if (!folder.Remove()) {
        fprintf(stderr, "kxpsui-host: cannot remove the temporary folder %s\n", folderPath.c_str());
    }

    if (interrupted) {
        return Fail("interrupted; nothing of the run is left", kExitInterrupted);
    }
    if (!ran) {
        return Fail(error, kExitSessionFailed);
    }
    if ((exitCode == kExitDone || exitCode == kExitUnloadFailed) && hasReport && hasPage == pageToFile) {
        if (pageToFile && !WritePage(options.htmlPath, page, &error)) {
            return Fail(error, kExitBadInput);
        }
        fwrite(report.data(), 1, report.size(), stdout);
        fflush(stdout);
        return static_cast<int>(exitCode);
    }
    if (exitCode == kExitBadInput && hasError) {
        return Fail(childError, kExitBadInput);
    }
    return Fail("the session process ended abnormally (exit code " + Describe(exitCode) +
                    "), most likely in the plug-in; nothing of the run is left",
                kExitSessionFailed);
}

int RunSession(const std::vector<std::string>& args, const ToolBuild& build) {
    SetUnhandledExceptionFilter(EndTheSession);
    std::u16string folder;
    if (args.size() < 2 || !TempFolderPath(ArgumentToUtf16(args[0]), &folder)) {
        return kExitSessionFailed;
    }
    const Registration registration = RegistrationFor(folder, ArgumentToUtf16(args[1]));
    ToolOptions options;
    std::string error;
    if (!ParseToolArguments(std::vector<std::string>(args.begin() + 2, args.end()), &options, &error)) {
        return SessionError(folder, error, kExitBadInput);
    }
    if (options.ppdPath.empty() && options.printerName.empty()) {
        options.ppdPath = build.samplePpd;
    }
    if (options.pluginPath.empty()) {
        options.pluginPath = build.pluginFileName;  // the loader looks beside the tool first
    }
    // The printer is there before the driver loads its plug-in.
    HostPrinter printer;
    DriverPpd ppd;
    if (!OpenPrinter(options, registration, &printer, &ppd, &error)) {
        return SessionError(folder, error, kExitBadInput);
    }
    PluginBinary binary;
    if (!LoadPluginBinary(ArgumentToUtf16(options.pluginPath), &binary, &error)) {
        return SessionError(folder, error, kExitBadInput);
    }
    std::string unknownPlugin;
    HasIdentity(binary, build.plugin, &unknownPlugin);

    HostRunOptions run;
    run.installed = options.installed;
    run.colorSelection = options.colorSelection;
    if (options.colorChangesGiven) {
        run.colorChanges = options.colorChanges;
    }
    ToolReport report;
    if (!CollectToolReport(binary, unknownPlugin, printer.Handle(), ppd, run, options.json || !options.htmlPath.empty(),
                           &report, &error)) {
        return SessionError(folder, error, kExitBadInput);
    }
    report.ppdPath = options.printerName.empty() ? options.ppdPath : Utf16ToArgument(printer.DataFile());
    report.printerName = Utf16ToUtf8(ArgumentToUtf16(options.printerName));
    report.pluginPath = options.pluginPath;
    const bool pageOnStdout = options.htmlPath == "-";
    const std::string text = pageOnStdout   ? FormatHtmlReport(report)
                             : options.json ? FormatJsonReport(report)
                                            : FormatTextReport(report);
    if (!options.htmlPath.empty() && !pageOnStdout &&
        !WriteFileBytes(JoinPath(folder, kPageFile), FormatHtmlReport(report))) {
        return kExitSessionFailed;
    }
    if (!WriteFileBytes(JoinPath(folder, kReportFile), text)) {
        return kExitSessionFailed;
    }
    return report.host.unloadAnswer == S_OK ? kExitDone : kExitUnloadFailed;
}
