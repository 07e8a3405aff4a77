// The INF of a driver package: the platform's PostScript driver, installed
// for each PPD with the kxpsui plug-in and its configuration file as
// dependent files.
#pragma once

#include <string>

#include "package/package_model.h"

// The INF's text, CR LF line ends. PPD texts (manufacturer, model names)
// appear only in its [Strings] section, quoted.
std::u16string FormatPackageInf(const DriverPackage& package);

// UTF-16 text as a file's bytes: little-endian with a byte-order mark, the
// form the documentation recommends for INF and configuration files.
std::string EncodeUtf16File(const std::u16string& text);
