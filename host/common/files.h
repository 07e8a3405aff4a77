// Whole files in and out, and path names, for the host's programs.
#pragma once

#include <string>

#include "platform/platform.h"

// The whole file in binary, through the platform's _wfopen (UTF-16 path)
// or the C runtime's fopen (narrow path, as a command line gives it).
bool ReadFileBytes(const std::u16string& path, std::string* bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);

// The full path of a loaded module's file (the program's for a null
// module); empty when the platform cannot tell it.
std::u16string ModuleFileName(HMODULE module);

// The last component of a path, either separator counted.
std::string PathFileName(const std::string& path);
