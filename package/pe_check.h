// What the package asks of the plug-in binary it ships: an x64 PE DLL that
// exports the two entry points the driver calls and carries the version the
// package's INF states. Read from the file's bytes, so that both builds can
// check the Windows DLL.
#pragma once

#include <stdint.h>

#include <string>

struct PluginImageVersion {
    uint16_t parts[4];  // major, minor, build, revision of the file version
};

// False with a one-line reason (no path) when the bytes are not such an
// image; every offset in them is checked before it is followed.
bool CheckPluginImage(const std::string& bytes, PluginImageVersion* version, std::string* error);

// "1.2.2.0".
std::string PluginImageVersionText(const PluginImageVersion& version);
