// Helpers of every test executable, on both builds: UTF-16 made from bytes,
// UTF-16 made printable for comparisons and failure messages, the locale the
// test runs under, whole files read and written, and files of the test's own.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include <string>

#include "platform/platform.h"

typedef std::basic_string<WCHAR> WideString;

// Bytes 0 to 255 widened one to one: as the tokenizer delivers them, and
// ASCII or Latin-1 literals as UTF-16.
WideString Units(const std::string& bytes);

// Printable ASCII as it is; every other unit, and the backslash, as \uXXXX.
// Up to the terminator ("(null)" for null), or exactly length units.
std::string Printable(const WCHAR* text);
std::string Printable(const WCHAR* text, size_t length);
inline std::string Printable(const WideString& text) {
    return Printable(text.data(), text.size());
}
// Bytes (UTF-8 or ANSI) the same way, byte by byte.
inline std::string PrintableBytes(const std::string& bytes) {
    return Printable(Units(bytes));
}

// LC_ALL as CTest sets it for the run; "C" when unset.
std::string TestLocale();

// The project's sample PPD, samples/kx-color-page.ppd.
std::string SamplePpdPath();

// A whole file's bytes, read in binary from a path in the C runtime's narrow
// encoding; empty when the file cannot be opened.
std::string ReadFileBytes(const std::string& path);
// Everything a stream holds, from its start.
std::string StreamBytes(FILE* stream);
// Replaces a file's bytes; false when it cannot be written whole.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

unsigned ProcessId();
// A name of this process's own for a file in the working directory, which
// the runs of several locales share: stem_<process id>_<n><extension>.
std::string ScratchName(const std::string& stem, const std::string& extension);

// A file in the working directory, removed when it goes.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name) : name_(name) {}
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() { remove(name_.c_str()); }

    const std::string& Name() const { return name_; }
    WideString WideName() const { return Units(name_); }
    bool Write(const std::string& bytes) const { return WriteFileBytes(name_, bytes); }
    std::string Read() const { return ReadFileBytes(name_); }

  private:
    std::string name_;
};
