// Processes: a child started from a command line that is parsed by the
// platform's rules, waited for, and its exit code; the process's own ID and
// file name; the Ctrl-C handlers and the top-level exception filter, both
// driven by the signals that stand for those events here.
//
// A child that a signal ends has the status code of the platform's event
// as its exit code: SIGSEGV 0xC0000005, SIGBUS 0xC0000006, SIGILL
// 0xC000001D, SIGFPE 0xC0000094, SIGINT 0xC000013A, SIGABRT 3 (as abort()
// exits on the platform), SIGTERM and SIGKILL 1; any other signal
// 0xC0000000 plus its number, which has no counterpart there.
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <link.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <new>
#include <string>
#include <vector>

#include "platform/linux/internal.h"
#include "platform/platform.h"

extern char** environ;

namespace {

struct ProcessRecord {
    pid_t pid;
    bool ended;
    DWORD exitCode;
};

// The handles CreateProcessW gives out: a process's, and its thread's,
// which serves for nothing here but CloseHandle.
struct Handle {
    ProcessRecord* process;  // shared by both handles of one child
    bool isThread;
};

pthread_mutex_t handleLock = PTHREAD_MUTEX_INITIALIZER;
std::vector<Handle*>* handles;

class Locked {
  public:
    Locked() {
        pthread_mutex_lock(&handleLock);
        if (handles == nullptr) {
            handles = new (std::nothrow) std::vector<Handle*>;
        }
    }
    ~Locked() { pthread_mutex_unlock(&handleLock); }
    bool Ready() const { return handles != nullptr; }
};

// The handle's record, or null for anything CreateProcessW did not give out.
Handle* FindHandle(HANDLE handle) {
    for (Handle* known : *handles) {
        if (known == handle) {
            return known;
        }
    }
    return nullptr;
}

DWORD ExitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return static_cast<DWORD>(WEXITSTATUS(status));
    }
    switch (WTERMSIG(status)) {
        case SIGSEGV:
            return STATUS_ACCESS_VIOLATION;
        case SIGBUS:
            return STATUS_IN_PAGE_ERROR;
        case SIGILL:
            return STATUS_ILLEGAL_INSTRUCTION;
        case SIGFPE:
            return STATUS_INTEGER_DIVIDE_BY_ZERO;
        case SIGINT:
            return STATUS_CONTROL_C_EXIT;
        case SIGABRT:
            return 3;
        case SIGTERM:
        case SIGKILL:
            return 1;
        default:
            return 0xC0000000u + static_cast<DWORD>(WTERMSIG(status));
    }
}

// Collects the child's status: blocking, or only when it has ended.
void Reap(ProcessRecord* process, bool block) {
    if (process->ended) {
        return;
    }
    int status = 0;
    pid_t result;
    do {
        result = waitpid(process->pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == process->pid) {
        process->ended = true;
        process->exitCode = ExitCodeOf(status);
    }
}

// The platform's command-line rules: the program name ends at the closing
// quote or the first blank; in an argument, 2n backslashes before a quote
// stand for n backslashes and the quote opens or closes a quoted part,
// 2n+1 for n backslashes and a literal quote; other backslashes are kept.
std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t i = 0;
    std::string program;
    if (i < line.size() && line[i] == '"') {
        const size_t close = line.find('"', i + 1);
        program = line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        i = close == std::string::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            program += line[i++];
        }
    }
    args.push_back(program);
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= line.size()) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
                    arg += line[i++];
                }
            }
        }
        args.push_back(arg);
    }
}

// Ctrl-C: the routines registered, called last first until one handles the
// event. They run on the thread the signal interrupts (the platform starts
// a thread of its own for them), so they should only note the event.
constexpr int kMaxCtrlHandlers = 8;
PHANDLER_ROUTINE ctrlHandlers[kMaxCtrlHandlers];
volatile sig_atomic_t ctrlHandlerCount = 0;
volatile sig_atomic_t ignoreCtrlC = 0;

void OnInterrupt(int) {
    if (ignoreCtrlC) {
        return;
    }
    for (int i = ctrlHandlerCount - 1; i >= 0; --i) {
        if (ctrlHandlers[i](CTRL_C_EVENT)) {
            return;
        }
    }
    // No routine handled it: the platform's default ends the process.
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
}

// Faults: the top-level filter sees the exception; unless it asks to go on
// (EXCEPTION_CONTINUE_EXECUTION, which retries the faulting instruction),
// the process ends by the signal, whose exit code is the exception's.
LPTOP_LEVEL_EXCEPTION_FILTER exceptionFilter = nullptr;
const int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};

void OnFault(int signalNumber, siginfo_t* info, void*) {
    EXCEPTION_RECORD record;
    memset(&record, 0, sizeof(record));
    const DWORD codes[] = {STATUS_ACCESS_VIOLATION, STATUS_IN_PAGE_ERROR, STATUS_ILLEGAL_INSTRUCTION,
                           STATUS_INTEGER_DIVIDE_BY_ZERO};
    for (size_t i = 0; i < sizeof(kFaultSignals) / sizeof(kFaultSignals[0]); ++i) {
        if (kFaultSignals[i] == signalNumber) {
            record.ExceptionCode = codes[i];
        }
    }
    record.ExceptionAddress = info != nullptr ? info->si_addr : nullptr;
    EXCEPTION_POINTERS pointers = {&record, nullptr};
    const LPTOP_LEVEL_EXCEPTION_FILTER filter = exceptionFilter;
    if (filter != nullptr && filter(&pointers) == EXCEPTION_CONTINUE_EXECUTION) {
        return;
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

}  // namespace

// lpApplicationName, when given, is the program's path; otherwise the
// command line's first word is, looked for in PATH when it has no '/'.
// Handles are not inherited (the child has the parent's standard streams),
// and creation flags, a new environment and a new working directory are
// not provided.
extern "C" BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                                      LPSECURITY_ATTRIBUTES /*lpProcessAttributes*/,
                                      LPSECURITY_ATTRIBUTES /*lpThreadAttributes*/, BOOL /*bInheritHandles*/,
                                      DWORD dwCreationFlags, LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory,
                                      LPSTARTUPINFOW lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
    if ((lpApplicationName == nullptr && lpCommandLine == nullptr) || lpStartupInfo == nullptr ||
        lpProcessInformation == nullptr || dwCreationFlags != 0 || lpEnvironment != nullptr ||
        lpCurrentDirectory != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> args =
        SplitCommandLine(lpCommandLine != nullptr ? kxplat::Utf16ToUtf8(lpCommandLine) : std::string());
    const std::string program = lpApplicationName != nullptr ? kxplat::Utf16ToUtf8(lpApplicationName) : args[0];
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (lpCommandLine == nullptr) {
        args[0] = program;
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(&arg[0]);
    }
    argv.push_back(nullptr);

    Locked lock;
    ProcessRecord* process = lock.Ready() ? new (std::nothrow) ProcessRecord{0, false, 0} : nullptr;
    Handle* processHandle = process != nullptr ? new (std::nothrow) Handle{process, false} : nullptr;
    Handle* threadHandle = processHandle != nullptr ? new (std::nothrow) Handle{process, true} : nullptr;
    if (threadHandle == nullptr) {
        delete processHandle;
        delete process;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const bool search = lpApplicationName == nullptr && program.find('/') == std::string::npos;
    const int error = search ? posix_spawnp(&process->pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                             : posix_spawn(&process->pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        delete threadHandle;
        delete processHandle;
        delete process;
        SetLastError(kxplat::ErrorFromErrno(error, ERROR_FILE_NOT_FOUND));
        return FALSE;
    }
    handles->push_back(processHandle);
    handles->push_back(threadHandle);
    lpProcessInformation->hProcess = processHandle;
    lpProcessInformation->hThread = threadHandle;
    lpProcessInformation->dwProcessId = static_cast<DWORD>(process->pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(process->pid);
    return TRUE;
}

// Process handles only; the wait is INFINITE, or 0 to look without waiting.
extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    Locked lock;
    Handle* handle = lock.Ready() ? FindHandle(hHandle) : nullptr;
    if (handle == nullptr || handle->isThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (dwMilliseconds != INFINITE && dwMilliseconds != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    Reap(handle->process, dwMilliseconds == INFINITE);
    return handle->process->ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    Locked lock;
    Handle* handle = lock.Ready() ? FindHandle(hProcess) : nullptr;
    if (handle == nullptr || handle->isThread || lpExitCode == nullptr) {
        SetLastError(handle == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Reap(handle->process, false);
    *lpExitCode = handle->process->ended ? handle->process->exitCode : static_cast<DWORD>(STILL_ACTIVE);
    return TRUE;
}

// The handles CreateProcessW gave out. A child whose handles are all
// closed before it ends is not waited for.
extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    Locked lock;
    Handle* handle = lock.Ready() ? FindHandle(hObject) : nullptr;
    if (handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ProcessRecord* process = handle->process;
    for (size_t i = 0; i < handles->size(); ++i) {
        if ((*handles)[i] == handle) {
            handles->erase(handles->begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    delete handle;
    bool shared = false;
    for (const Handle* other : *handles) {
        shared = shared || other->process == process;
    }
    if (!shared) {
        delete process;
    }
    return TRUE;
}

extern "C" DWORD WINAPI GetCurrentProcessId(void) {
    return static_cast<DWORD>(getpid());
}

// The full path of the executable (null module) or of a loaded module.
// Too small a buffer gets the path cut to nSize units with its terminator,
// the result nSize and ERROR_INSUFFICIENT_BUFFER.
extern "C" DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    std::string path;
    if (hModule == nullptr) {
        char exe[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        path.assign(exe, length > 0 ? static_cast<size_t>(length) : 0);
    } else {
        struct link_map* module = nullptr;
        if (dlinfo(hModule, RTLD_DI_LINKMAP, &module) != 0 || module == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        char full[PATH_MAX];
        path = realpath(module->l_name, full) != nullptr ? full : module->l_name;
    }
    const std::basic_string<WCHAR> wide = kxplat::Utf8ToUtf16(path);
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (wide.size() >= nSize) {
        memcpy(lpFilename, wide.data(), (nSize - 1) * sizeof(WCHAR));
        lpFilename[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    memcpy(lpFilename, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(wide.size());
}

// SIGINT stands for Ctrl-C (CTRL_C_EVENT); a null routine with Add TRUE
// makes the process ignore it, with Add FALSE heed it again.
extern "C" BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) {
    if (HandlerRoutine == nullptr) {
        ignoreCtrlC = Add ? 1 : 0;
    } else if (Add) {
        if (ctrlHandlerCount == kMaxCtrlHandlers) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        ctrlHandlers[ctrlHandlerCount] = HandlerRoutine;
        ctrlHandlerCount = ctrlHandlerCount + 1;
    } else {
        int found = -1;
        for (int i = ctrlHandlerCount - 1; i >= 0 && found < 0; --i) {
            found = ctrlHandlers[i] == HandlerRoutine ? i : -1;
        }
        if (found < 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        for (int i = found; i + 1 < ctrlHandlerCount; ++i) {
            ctrlHandlers[i] = ctrlHandlers[i + 1];
        }
        ctrlHandlerCount = ctrlHandlerCount - 1;
    }
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    return TRUE;
}

// SIGSEGV, SIGBUS, SIGILL and SIGFPE stand for the faults the filter sees.
extern "C" LPTOP_LEVEL_EXCEPTION_FILTER WINAPI
SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER lpTopLevelExceptionFilter) {
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = exceptionFilter;
    exceptionFilter = lpTopLevelExceptionFilter;
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kFaultSignals) {
        if (lpTopLevelExceptionFilter != nullptr) {
            sigaction(signalNumber, &action, nullptr);
        } else {
            signal(signalNumber, SIG_DFL);
        }
    }
    return previous;
}
