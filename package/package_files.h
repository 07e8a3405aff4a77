// The package tool's file work: reading its inputs whole, and putting the
// package folder in place. The folder is written under a name of its own
// beside OUTDIR and renamed into place when complete, so that a failure, a
// refusal or an interruption leaves no partial package behind.
#pragma once

#include <string>
#include <vector>

#include "package/package_model.h"

// path is a command-line argument. False with a one-line reason naming it.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

// Whether the folder OUTDIR may be written: it must not exist, or with
// replace be a folder this tool wrote (each entry a file its manifest
// lists) or an empty one. False with a one-line reason.
bool CheckOutputFolder(const std::string& outDir, bool replace, std::string* error);

enum class PackageWrite { kWritten, kFailed, kInterrupted };

// Writes the files into a new folder beside OUTDIR, then renames it to
// OUTDIR, replacing the folder there when replace is set. On failure or
// interruption (SIGINT, SIGTERM) the new folder is removed and OUTDIR is as
// it was; *error says why.
PackageWrite WritePackageFolder(const std::string& outDir, const std::vector<PackageFile>& files, bool replace,
                                std::string* error);
