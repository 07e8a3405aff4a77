// Shared by the fuzz targets: a failed check prints what it got and aborts,
// so that libFuzzer keeps the input that broke it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#define KX_FUZZ_CHECK(condition, what)                               \
    do {                                                             \
        if (!(condition)) {                                          \
            FuzzCheckFailed(__FILE__, __LINE__, #condition, (what)); \
        }                                                            \
    } while (0)

[[noreturn]] void FuzzCheckFailed(const char* file, int line, const char* condition, const std::string& what);

// The bytes as msvcrt's text mode delivers them: CR LF becomes LF and a
// 0x1A byte ends the input.
std::string TextModeBytes(const std::string& bytes);

// A file of this process's own in a memory-backed directory where there is
// one, rewritten for every input; its name as UTF-16 for _wfopen.
const std::u16string& ScratchFilePath();
bool WriteScratchFile(const std::string& bytes);
