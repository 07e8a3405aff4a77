#include "package/inf_writer.h"

#include <stdio.h>

#include "host/common/text.h"
#include "kx_version.h"

namespace {

// The printer setup class.
constexpr char kPrinterClassGuid[] = "{4D36E979-E325-11CE-BFC1-08002BE10318}";
// The models section, decorated for x64 in [Manufacturer] and in its name.
constexpr char kModelsSection[] = "KXPSUI";
constexpr char kX64Decoration[] = "NTamd64";
// The printer driver directory (GetPrinterDriverDirectory).
constexpr char kPrinterDriverDirid[] = "66000";
constexpr char kSourceDisk[] = "1";

class InfText {
  public:
    void Line(const std::string& ascii) { text += Utf8ToUtf16(ascii) + u"\r\n"; }
    void Blank() { text += u"\r\n"; }
    void Section(const std::string& name) {
        if (!text.empty()) {
            Blank();
        }
        Line("[" + name + "]");
    }
    // key="value"; the value holds no '"' (package_model.cpp sees to it).
    void QuotedString(const std::string& key, const std::u16string& value) {
        text += Utf8ToUtf16(key) + u"=\"" + value + u"\"\r\n";
    }

    std::u16string text;
};

std::string Index(size_t i) {
    return std::to_string(i + 1);
}

std::string InstallSection(size_t i) {
    return "KXPSUI_MODEL" + Index(i);
}

std::string FileListSection(size_t i) {
    return InstallSection(i) + "_FILES";
}

std::string DriverVerDate(const PackageDate& date) {
    char text[16];
    snprintf(text, sizeof(text), "%02d/%02d/%04d", date.month, date.day, date.year);
    return text;
}

}  // namespace

std::u16string FormatPackageInf(const DriverPackage& package) {
    InfText inf;
    inf.Line("; The kxpsui driver package: the platform's PostScript driver with the kxpsui");
    inf.Line("; user-interface plug-in, for the printer models below. Written by");
    inf.Line(std::string("; kxpsui-package ") + KX_VERSION_TEXT + "; the catalog it names is made when the package");
    inf.Line("; is signed.");

    inf.Section("Version");
    inf.Line("Signature=\"$Windows NT$\"");
    inf.Line("Class=Printer");
    inf.Line(std::string("ClassGuid=") + kPrinterClassGuid);
    inf.Line("Provider=%Manufacturer%");
    inf.Line("DriverVer=" + DriverVerDate(package.date) + "," + KX_VERSION_TEXT);
    inf.Line(std::string("CatalogFile=") + kPackageCatalogName);

    inf.Section("Manufacturer");
    inf.Line(std::string("%Manufacturer%=") + kModelsSection + "," + kX64Decoration);

    inf.Section(std::string(kModelsSection) + "." + kX64Decoration);
    for (size_t i = 0; i < package.ppds.size(); ++i) {
        inf.Line("%Model" + Index(i) + "%=" + InstallSection(i) + "," + package.ppds[i].hardwareId);
    }

    // Each model's PPD is the driver's data file; the PostScript driver comes
    // from the platform's own printer INF, and the plug-in with its
    // configuration file are dependent files in the printer driver directory.
    for (size_t i = 0; i < package.ppds.size(); ++i) {
        inf.Section(InstallSection(i));
        inf.Line("CopyFiles=" + FileListSection(i));
        inf.Line("DataFile=" + package.ppds[i].fileName);
        inf.Line("DataSection=PSCRIPT_DATA");
        inf.Line("Include=NTPRINT.INF");
        inf.Line("Needs=PSCRIPT.OEM");
        inf.Section(FileListSection(i));
        inf.Line(package.ppds[i].fileName);
        inf.Line(kPackageConfigName);
        inf.Line(kPackagePluginName);
    }

    // With Include and Needs, every file list names its directory: no
    // default directory is given.
    inf.Section("DestinationDirs");
    for (size_t i = 0; i < package.ppds.size(); ++i) {
        inf.Line(FileListSection(i) + "=" + kPrinterDriverDirid);
    }

    inf.Section(std::string("SourceDisksNames.amd64"));
    inf.Line(std::string(kSourceDisk) + "=%Disk%");
    inf.Section(std::string("SourceDisksFiles.amd64"));
    inf.Line(std::string(kPackagePluginName) + "=" + kSourceDisk);
    inf.Line(std::string(kPackageConfigName) + "=" + kSourceDisk);
    for (const PackagePpd& ppd : package.ppds) {
        inf.Line(ppd.fileName + "=" + kSourceDisk);
    }

    inf.Section("Strings");
    inf.QuotedString("Manufacturer", package.manufacturer);
    for (size_t i = 0; i < package.ppds.size(); ++i) {
        inf.QuotedString("Model" + Index(i), package.ppds[i].modelName);
    }
    inf.QuotedString("Disk", u"kxpsui driver package");
    return inf.text;
}

std::string EncodeUtf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}
