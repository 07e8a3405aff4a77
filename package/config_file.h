// The plug-in configuration file: it names the user-interface plug-in to the
// PostScript driver, which loads the DLL it names for each printer of the
// driver. Installed as a dependent file beside the plug-in.
#pragma once

#include <string>

// "[OEMFiles]" with "OEMConfigFile1=kxpsui.dll": no blanks around '=', no
// path in the name. CR LF line ends.
std::u16string FormatConfigFile();
