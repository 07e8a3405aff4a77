#include "package/package_model.h"

#include "customize/ppd_path.h"
#include "host/common/files.h"
#include "host/common/text.h"
#include "package/config_file.h"
#include "package/inf_writer.h"
#include "package/manifest.h"

namespace {

bool IsAsciiAlphanumeric(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The spooler and the INF's file names ignore case; ASCII folding covers
// the file names, which are ASCII, and the common case of model names.
template <typename Text>
bool SameIgnoringCase(const Text& a, const Text& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(static_cast<char16_t>(a[i])) != FoldAscii(static_cast<char16_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string Quoted(const std::u16string& text) {
    return "\"" + Utf16ToUtf8(reinterpret_cast<const WCHAR*>(text.c_str())) + "\"";
}

// A text the INF carries quoted in its [Strings] section: present, short
// enough, on one line, without a '"' (which would end the quoted string).
bool CheckInfText(const PackagePpd& ppd, const char* what, const std::u16string& text, std::string* error) {
    if (text.empty()) {
        *error = ppd.path + ": no " + what;
        return false;
    }
    if (text.size() > kPackageNameLimit) {
        *error = ppd.path + ": " + what + " is " + std::to_string(text.size()) + " characters long; an INF takes " +
                 std::to_string(kPackageNameLimit);
        return false;
    }
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F || c == u'"') {
            *error = ppd.path + ": " + what + " holds a control character or a '\"'";
            return false;
        }
    }
    return true;
}

// The model line's device ID, derived from its name as printer INFs do:
// blanks and every character but letters, digits, '.' and '-' become '_'.
std::string HardwareIdOf(const std::u16string& name) {
    std::string id;
    for (char16_t c : name) {
        if (id.size() == kPackageHardwareIdLimit) {
            break;
        }
        id.push_back(IsAsciiAlphanumeric(c) || c == u'.' || c == u'-' ? static_cast<char>(c) : '_');
    }
    return id;
}

}  // namespace

bool NamePackagePpds(const std::vector<std::string>& paths, std::vector<std::string>* fileNames, std::string* error) {
    static const char* const kOwnFiles[] = {kPackageInfName, kPackageConfigName, kPackagePluginName,
                                            kPackageCatalogName, kPackageManifestName};
    const size_t nameLimit = kPpdPathCapacity - 1 - kPackageDriverDirectoryAllowance;
    fileNames->clear();
    for (const std::string& path : paths) {
        const std::string name = PathFileName(path);
        bool plain = !name.empty() && IsAsciiAlphanumeric(static_cast<unsigned char>(name[0]));
        for (char c : name) {
            plain = plain && (IsAsciiAlphanumeric(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_');
        }
        if (!plain) {
            *error = path +
                     ": a PPD's file name in a package is of letters, digits, '.', '-' and '_', and starts "
                     "with a letter or digit";
            return false;
        }
        if (name.size() > nameLimit) {
            *error = path + ": file name is " + std::to_string(name.size()) +
                     " characters long; the plug-in reads the installed PPD only when the name has at most " +
                     std::to_string(nameLimit);
            return false;
        }
        for (const char* own : kOwnFiles) {
            if (SameIgnoringCase(name, std::string(own))) {
                *error = path + ": the package's own " + own + " has that name";
                return false;
            }
        }
        for (size_t i = 0; i < fileNames->size(); ++i) {
            if (SameIgnoringCase(name, (*fileNames)[i])) {
                *error = paths[i] + " and " + path + ": file names that differ only in case, or not at all";
                return false;
            }
        }
        fileNames->push_back(name);
    }
    return true;
}

bool NamePackageModels(DriverPackage* package, std::string* error) {
    for (size_t i = 0; i < package->ppds.size(); ++i) {
        PackagePpd& ppd = package->ppds[i];
        const PpdIdentity& identity = ppd.identity;
        ppd.modelName = !identity.nickName.empty() ? identity.nickName : identity.modelName;
        if (!CheckInfText(ppd, "*NickName or *ModelName", ppd.modelName, error) ||
            !CheckInfText(ppd, "*Manufacturer", identity.manufacturer, error)) {
            return false;
        }
        ppd.hardwareId = HardwareIdOf(ppd.modelName);
        if (i == 0) {
            package->manufacturer = identity.manufacturer;
        } else if (identity.manufacturer != package->manufacturer) {
            *error = package->ppds[0].path + " and " + ppd.path + ": different manufacturers (" +
                     Quoted(package->manufacturer) + ", " + Quoted(identity.manufacturer) +
                     "); a package has one provider";
            return false;
        }
        for (size_t k = 0; k < i; ++k) {
            const PackagePpd& other = package->ppds[k];
            if (SameIgnoringCase(ppd.modelName, other.modelName)) {
                *error = other.path + " and " + ppd.path + ": the same model name " + Quoted(ppd.modelName) +
                         " (the spooler ignores case)";
                return false;
            }
            if (SameIgnoringCase(ppd.hardwareId, other.hardwareId)) {
                *error = other.path + " and " + ppd.path + ": the same device ID " + ppd.hardwareId;
                return false;
            }
        }
    }
    return true;
}

std::vector<PackageFile> PackageFiles(const DriverPackage& package) {
    std::vector<PackageFile> files;
    files.push_back(PackageFile{kPackageInfName, EncodeUtf16File(FormatPackageInf(package))});
    files.push_back(PackageFile{kPackageConfigName, EncodeUtf16File(FormatConfigFile())});
    files.push_back(PackageFile{kPackagePluginName, package.pluginBytes});
    for (const PackagePpd& ppd : package.ppds) {
        files.push_back(PackageFile{ppd.fileName, ppd.bytes});
    }
    files.push_back(PackageFile{kPackageManifestName, FormatManifest(package.date, files)});
    return files;
}
