#include "package/package_files.h"

#include <signal.h>
#include <stdio.h>

#include <filesystem>

#include "host/common/json_writer.h"
#include "host/common/text.h"

namespace fs = std::filesystem;

namespace {

// Names beside OUTDIR tried for the folder being written and for the folder
// being replaced.
constexpr int kSiblingAttempts = 100;

volatile sig_atomic_t interrupted = 0;

void NoteInterrupt(int) {
    interrupted = 1;
}

fs::path ToPath(const std::string& argument) {
    return fs::path(ArgumentToUtf16(argument));
}

FILE* OpenFile(const fs::path& path, const WCHAR* mode) {
    const std::u16string name = path.u16string();
    return _wfopen(reinterpret_cast<const WCHAR*>(name.c_str()), mode);
}

bool ReadPath(const fs::path& path, std::string* bytes) {
    FILE* file = OpenFile(path, TEXT("rb"));
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes->append(chunk, count);
    }
    const bool failed = ferror(file) != 0;
    fclose(file);
    return !failed;
}

bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
    FILE* file = OpenFile(path, TEXT("wb"));
    if (file == nullptr) {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// OUTDIR without a trailing separator, and the folder it lies in.
bool SplitOutputPath(const std::string& outDir, fs::path* out, fs::path* parent, std::string* error) {
    *out = ToPath(outDir);
    if (!out->has_filename()) {
        *out = out->parent_path();
    }
    if (!out->has_filename() || out->filename() == "." || out->filename() == "..") {
        *error = outDir + ": OUTDIR names the folder to create";
        return false;
    }
    *parent = out->has_parent_path() ? out->parent_path() : fs::path(".");
    return true;
}

fs::path Sibling(const fs::path& out, const char* role, int attempt) {
    fs::path name = out.filename();
    name += "." + std::string(role) + "-" + std::to_string(attempt);
    return out.parent_path() / name;
}

// A new folder beside out, created here and so ours alone.
bool CreateStagingFolder(const fs::path& out, fs::path* staging, std::error_code* code) {
    for (int attempt = 1; attempt <= kSiblingAttempts; ++attempt) {
        *staging = Sibling(out, "partial", attempt);
        if (fs::create_directory(*staging, *code)) {
            return true;
        }
        if (*code) {
            return false;
        }
    }
    return false;
}

bool FreeSibling(const fs::path& out, const char* role, fs::path* sibling) {
    for (int attempt = 1; attempt <= kSiblingAttempts; ++attempt) {
        std::error_code code;
        *sibling = Sibling(out, role, attempt);
        if (!fs::exists(fs::symlink_status(*sibling, code))) {
            return true;
        }
    }
    return false;
}

class InterruptGuard {
  public:
    InterruptGuard() {
        interrupted = 0;
        previousInt = signal(SIGINT, NoteInterrupt);
        previousTerm = signal(SIGTERM, NoteInterrupt);
    }
    ~InterruptGuard() {
        signal(SIGINT, previousInt);
        signal(SIGTERM, previousTerm);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    void (*previousInt)(int);
    void (*previousTerm)(int);
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    bytes->clear();
    std::error_code code;
    const fs::file_status status = fs::status(ToPath(path), code);
    if (!fs::exists(status)) {
        *error = path + ": no such file";
        return false;
    }
    if (fs::is_directory(status)) {
        *error = path + ": a folder, not a file";
        return false;
    }
    if (!ReadPath(ToPath(path), bytes)) {
        *error = path + ": cannot be read";
        return false;
    }
    return true;
}

bool CheckOutputFolder(const std::string& outDir, bool replace, std::string* error) {
    fs::path out, parent;
    if (!SplitOutputPath(outDir, &out, &parent, error)) {
        return false;
    }
    std::error_code code;
    const fs::file_status status = fs::symlink_status(out, code);
    if (!fs::exists(status)) {
        return true;
    }
    if (!replace) {
        *error = outDir + ": exists (--force replaces a package folder)";
        return false;
    }
    *error = outDir + ": not a package folder of kxpsui-package, not replaced";
    if (!fs::is_directory(status)) {
        return false;
    }
    std::string manifest;
    ReadPath(out / kPackageManifestName, &manifest);
    for (fs::directory_iterator it(out, code), end; !code && it != end; it.increment(code)) {
        const std::string name = it->path().filename().u8string();
        const bool listed = manifest.find("\"name\": " + JsonQuote(name)) != std::string::npos;
        if (!it->is_regular_file(code) || (name != kPackageManifestName && !listed)) {
            return false;
        }
    }
    return !code;
}

PackageWrite WritePackageFolder(const std::string& outDir, const std::vector<PackageFile>& files, bool replace,
                                std::string* error) {
    fs::path out, parent;
    if (!SplitOutputPath(outDir, &out, &parent, error)) {
        return PackageWrite::kFailed;
    }
    InterruptGuard guard;
    fs::path staging;
    std::error_code code;
    if (!CreateStagingFolder(out, &staging, &code)) {
        *error =
            outDir + ": cannot create a folder in " + parent.u8string() + (code ? " (" + code.message() + ")" : "");
        return PackageWrite::kFailed;
    }
    bool written = true;
    for (size_t i = 0; i < files.size() && written && !interrupted; ++i) {
        written = WriteWholeFile(staging / files[i].name, files[i].bytes);
        if (!written) {
            *error = outDir + ": cannot write " + files[i].name;
        }
    }
    if (!written || interrupted) {
        fs::remove_all(staging, code);
        if (interrupted) {
            *error = "interrupted; " + outDir + " is as it was";
            return PackageWrite::kInterrupted;
        }
        return PackageWrite::kFailed;
    }
    // From here on the two renames run to their end: an interruption between
    // them would leave OUTDIR missing.
    fs::path replaced;
    const bool replacing = replace && fs::exists(fs::symlink_status(out, code));
    if (replacing && !FreeSibling(out, "replaced", &replaced)) {
        *error = outDir + ": no free name beside it for the folder it replaces";
        fs::remove_all(staging, code);
        return PackageWrite::kFailed;
    }
    if (replacing) {
        fs::rename(out, replaced, code);
        if (code) {
            *error = outDir + ": cannot be replaced (" + code.message() + ")";
            fs::remove_all(staging, code);
            return PackageWrite::kFailed;
        }
    }
    fs::rename(staging, out, code);
    if (code) {
        *error = outDir + ": cannot be created (" + code.message() + ")";
        if (replacing) {
            fs::rename(replaced, out, code);
        }
        fs::remove_all(staging, code);
        return PackageWrite::kFailed;
    }
    if (replacing) {
        fs::remove_all(replaced, code);
        if (code) {
            *error = outDir + " is written, but the folder it replaced is left in " + replaced.u8string();
            return PackageWrite::kFailed;
        }
    }
    return PackageWrite::kWritten;
}
