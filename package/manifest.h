// The package's manifest: each file's size and SHA-256, so that whoever signs
// or installs the package can tell that it is the one this tool built.
#pragma once

#include <string>
#include <vector>

#include "package/package_model.h"

// JSON, as kxpsui-host writes it: {"package", "version", "date", "files":
// [{"name", "size", "sha256"}, ...]}, the files in package order.
std::string FormatManifest(const PackageDate& date, const std::vector<PackageFile>& files);
