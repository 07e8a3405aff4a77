#include "tests/package/inf_readback.h"

#if KX_PLATFORM_WINDOWS

#include <gtest/gtest.h>
#include <setupapi.h>
#include <stdio.h>

#include <set>

#include "tests/package/package_test_util.h"

namespace fs = std::filesystem;

namespace {

std::wstring Field(INFCONTEXT* line, DWORD index) {
    WCHAR text[1024];
    DWORD size = 0;
    return SetupGetStringFieldW(line, index, text, 1024, &size) ? text : L"<no field>";
}

std::wstring Value(HINF inf, const std::wstring& section, const WCHAR* key, DWORD index = 1) {
    INFCONTEXT line;
    return SetupFindFirstLineW(inf, section.c_str(), key, &line) ? Field(&line, index) : L"<no line>";
}

// A statement's value on its line, quotes taken off, decoded as the PPD's
// encoding says: the model and maker names an INF must carry.
std::wstring PpdValue(const std::string& bytes, const std::string& keyword) {
    const size_t at = bytes.find("\n" + keyword + ":");
    if (at == std::string::npos) {
        return std::wstring();
    }
    const size_t end = bytes.find_first_of("\r\n", at + 1);
    std::string value = bytes.substr(at + keyword.size() + 2, end - at - keyword.size() - 2);
    value.erase(0, value.find_first_not_of(" \""));
    value.erase(value.find_last_not_of(" \"") + 1);
    const UINT codePage = bytes.find("\n*LanguageEncoding: JIS83-RKSJ") != std::string::npos ? 932 : 1252;
    WCHAR text[1024] = {};
    MultiByteToWideChar(codePage, 0, value.data(), static_cast<int>(value.size()), text, 1023);
    return text;
}

std::wstring ModelName(const std::string& bytes) {
    const std::wstring nickName = PpdValue(bytes, "*NickName");
    return nickName.empty() ? PpdValue(bytes, "*ModelName") : nickName;
}

std::wstring FileVersion(const fs::path& dll) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(dll.wstring().c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !GetFileVersionInfoW(dll.wstring().c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        return L"<no version block>";
    }
    WCHAR text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return text;
}

}  // namespace

void ExpectInfReadsBack(const fs::path& folder, const std::vector<std::string>& ppds, const std::string& date) {
    UINT errorLine = 0;
    HINF inf = SetupOpenInfFileW((folder / "kxpsui.inf").wstring().c_str(), L"Printer", INF_STYLE_WIN4, &errorLine);
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << "line " << errorLine << ", error " << GetLastError();
    const std::wstring maker = PpdValue(ReadBytes(ppds[0]), "*Manufacturer");
    const std::string mdy = date.substr(5, 2) + "/" + date.substr(8, 2) + "/" + date.substr(0, 4);
    const std::wstring day(mdy.begin(), mdy.end());
    EXPECT_EQ(Value(inf, L"Version", L"Signature"), L"$Windows NT$");
    EXPECT_EQ(Value(inf, L"Version", L"ClassGuid"), L"{4D36E979-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(Value(inf, L"Version", L"Provider"), maker);
    EXPECT_EQ(Value(inf, L"Version", L"DriverVer", 1), day);
    EXPECT_EQ(Value(inf, L"Version", L"DriverVer", 2), FileVersion(folder / "kxpsui.dll"));
    EXPECT_EQ(Value(inf, L"Version", L"CatalogFile"), L"kxpsui.cat");

    INFCONTEXT manufacturer;
    ASSERT_TRUE(SetupFindFirstLineW(inf, L"Manufacturer", nullptr, &manufacturer));
    EXPECT_EQ(Field(&manufacturer, 0), maker);
    EXPECT_EQ(Field(&manufacturer, 2), L"NTamd64");
    const std::wstring models = Field(&manufacturer, 1) + L"." + Field(&manufacturer, 2);
    EXPECT_EQ(SetupGetLineCountW(inf, models.c_str()), static_cast<LONG>(ppds.size()));
    INFCONTEXT model;
    bool more = SetupFindFirstLineW(inf, models.c_str(), nullptr, &model);
    for (size_t i = 0; i < ppds.size(); ++i, more = SetupFindNextLine(&model, &model)) {
        ASSERT_TRUE(more) << "no model line " << i + 1;
        const std::wstring ppd = fs::path(ppds[i]).filename().wstring();
        EXPECT_EQ(Field(&model, 0), ModelName(ReadBytes(ppds[i])));
        EXPECT_NE(Field(&model, 2), L"<no field>") << "a device ID";
        const std::wstring install = Field(&model, 1);
        EXPECT_EQ(Value(inf, install, L"DataFile"), ppd);
        EXPECT_EQ(Value(inf, install, L"DataSection"), L"PSCRIPT_DATA");
        EXPECT_EQ(Value(inf, install, L"Include"), L"NTPRINT.INF");
        EXPECT_EQ(Value(inf, install, L"Needs"), L"PSCRIPT.OEM");
        // Each copied file comes from the package and goes to the printer
        // driver directory.
        std::set<std::wstring> copied;
        INFCONTEXT copyFiles;
        ASSERT_TRUE(SetupFindFirstLineW(inf, install.c_str(), L"CopyFiles", &copyFiles));
        for (DWORD list = 1; list <= SetupGetFieldCount(&copyFiles); ++list) {
            const std::wstring files = Field(&copyFiles, list);
            EXPECT_EQ(Value(inf, L"DestinationDirs", files.c_str()), L"66000");
            INFCONTEXT file;
            for (bool line = SetupFindFirstLineW(inf, files.c_str(), nullptr, &file); line;
                 line = SetupFindNextLine(&file, &file)) {
                const std::wstring name = Field(&file, 1);
                copied.insert(name);
                EXPECT_TRUE(fs::is_regular_file(folder / name)) << fs::path(name).string();
                EXPECT_EQ(Value(inf, L"SourceDisksFiles.amd64", name.c_str()), L"1");
            }
        }
        EXPECT_EQ(copied, (std::set<std::wstring>{ppd, L"kxpsui.ini", L"kxpsui.dll"}));
    }
    EXPECT_EQ(Value(inf, L"SourceDisksNames.amd64", L"1"), L"kxpsui driver package");
    SetupCloseInfFile(inf);

    const fs::path config = folder / "kxpsui.ini";
    WCHAR plugin[64] = {};
    GetPrivateProfileStringW(L"OEMFiles", L"OEMConfigFile1", L"", plugin, 64, config.wstring().c_str());
    EXPECT_STREQ(plugin, L"kxpsui.dll");
    const std::string bytes = ReadBytes(config);
    const std::wstring text(reinterpret_cast<const WCHAR*>(bytes.data()), bytes.size() / 2);
    EXPECT_EQ(text.substr(0, 1), L"\xFEFF") << "UTF-16LE with a byte-order mark";
    EXPECT_NE(text.find(L"\r\nOEMConfigFile1=kxpsui.dll\r\n"), std::wstring::npos) << "no blanks around '='";
}

#endif
