// One driver package as it is decided before anything is written: its files,
// the printer models its INF lists and the names they go by. Everything here
// is checked first, so that a package that would misbehave is refused whole.
#pragma once

#include <string>
#include <vector>

#include "package/ppd_identity.h"

// The package's own files, beside its PPDs.
inline constexpr char kPackageInfName[] = "kxpsui.inf";
inline constexpr char kPackageConfigName[] = "kxpsui.ini";  // the plug-in configuration file
inline constexpr char kPackagePluginName[] = "kxpsui.dll";
inline constexpr char kPackageCatalogName[] = "kxpsui.cat";  // named by the INF, made when the package is signed
inline constexpr char kPackageManifestName[] = "manifest.json";

// A device description, like every name the INF lists, holds fewer than
// LINE_LEN (256) characters; a device ID fewer than 201.
constexpr size_t kPackageNameLimit = 255;
constexpr size_t kPackageHardwareIdLimit = 200;

// Of the plug-in's 259-unit PPD path, the printer driver directory may take
// up to this many (40 on a default installation); a PPD file name gets the
// rest, so that the installed data file can always be read.
constexpr size_t kPackageDriverDirectoryAllowance = 100;

struct PackagePpd {
    std::string path;      // as given
    std::string fileName;  // its name in the package and in the driver directory
    std::string bytes;     // the file as read, copied unchanged
    PpdIdentity identity;
    std::u16string modelName;  // the INF's model line and the driver's name: *NickName, else *ModelName
    std::string hardwareId;    // the model line's device ID
};

struct PackageDate {
    int year;
    int month;
    int day;
};

struct DriverPackage {
    std::u16string manufacturer;   // every PPD's *Manufacturer; also the provider
    std::vector<PackagePpd> ppds;  // in the order given
    std::string pluginBytes;       // kxpsui.dll as read
    PackageDate date;              // of DriverVer
};

// One file of the package folder.
struct PackageFile {
    std::string name;
    std::string bytes;
};

// The names the PPDs take in the package (each path's last component): each
// must be of letters, digits, '.', '-' and '_', start with a letter or digit,
// leave room for the driver directory, and differ, ignoring case, from the
// other PPDs' names and from the package's own files. False with a one-line
// reason.
bool NamePackagePpds(const std::vector<std::string>& paths, std::vector<std::string>* fileNames, std::string* error);

// Names each PPD's model from its identity (read already) and checks the
// package as a whole: one manufacturer, model names that the spooler tells
// apart, texts an INF can carry (no control character, no '"'). False with a one-line reason.
bool NamePackageModels(DriverPackage* package, std::string* error);

// The package folder's files in order: the INF, the configuration file, the
// plug-in, the PPDs, the manifest last.
std::vector<PackageFile> PackageFiles(const DriverPackage& package);
