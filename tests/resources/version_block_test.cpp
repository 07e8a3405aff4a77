// The version block and the manifest of the DLL, read back with the
// platform's own version and resource routines. The Linux module carries
// neither, so these checks exist in the Windows build only.
#include "platform/platform.h"

#if KX_PLATFORM_WINDOWS

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/plugin_module.h"

namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(param)->push_back(IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name)
                                                                                     : ~ULONG_PTR(0));
    return TRUE;
}

std::vector<LANGID> LanguagesOf(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::vector<ULONG_PTR> NamesOf(HMODULE module, LPCWSTR type) {
    std::vector<ULONG_PTR> names;
    EnumResourceNamesW(module, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

class VersionBlockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(module, nullptr) << "plug-in " << KX_PLUGIN_FILE_NAME << " not loaded";
        WCHAR path[MAX_PATH];
        ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_GT(size, 0u) << "no version block, error " << GetLastError();
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    }

    // The value at a path of the block, or null.
    const void* Query(const WCHAR* path, UINT* length) {
        void* value = nullptr;
        *length = 0;
        return VerQueryValueW(block.data(), path, &value, length) ? value : nullptr;
    }

    HMODULE module = LoadedPlugin().module;
    std::vector<BYTE> block;
};

TEST_F(VersionBlockTest, FixedPart_FileAndProductVersion_1_2_2_0) {
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(TEXT("\\"), &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionBlockTest, Translation_UsEnglishUnicode) {
    UINT length = 0;
    const auto* translation = static_cast<const WORD*>(Query(TEXT("\\VarFileInfo\\Translation"), &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 4u) << "exactly one language and code page pair";
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionBlockTest, Strings_InTheUsEnglishUnicodeTable) {
    struct Case {
        const WCHAR* path;
        const char* expected;  // null: any text but an empty one
    } cases[] = {
        {TEXT("\\StringFileInfo\\040904B0\\FileVersion"), "1, 2, 2, 0"},
        {TEXT("\\StringFileInfo\\040904B0\\ProductVersion"), "1, 2, 2, 0"},
        {TEXT("\\StringFileInfo\\040904B0\\CompanyName"), nullptr},
        {TEXT("\\StringFileInfo\\040904B0\\FileDescription"), nullptr},
        {TEXT("\\StringFileInfo\\040904B0\\LegalCopyright"), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Printable(c.path));
        UINT length = 0;
        const auto* text = static_cast<const WCHAR*>(Query(c.path, &length));
        ASSERT_NE(text, nullptr);
        if (c.expected != nullptr) {
            EXPECT_EQ(Printable(text), c.expected);
        } else {
            EXPECT_GT(length, 1u) << "empty text";
        }
    }
}

// The block itself sits under the neutral language, whatever its string
// table's language says.
TEST_F(VersionBlockTest, Resource_OneBlockUnderTheNeutralLanguage) {
    EXPECT_EQ(NamesOf(module, RT_VERSION), std::vector<ULONG_PTR>{1});
    EXPECT_EQ(LanguagesOf(module, RT_VERSION, MAKEINTRESOURCEW(1)), std::vector<LANGID>{1024});
}

// Attributes of an element's start tag, by name.
std::map<std::string, std::string> Attributes(const std::string& tag) {
    std::map<std::string, std::string> attributes;
    size_t at = 0;
    while ((at = tag.find('=', at)) != std::string::npos) {
        size_t nameStart = tag.find_last_of(" \t\r\n", at);
        const std::string name = tag.substr(nameStart + 1, at - nameStart - 1);
        const size_t open = tag.find('"', at);
        const size_t close = tag.find('"', open + 1);
        if (open != at + 1 || close == std::string::npos) {
            ADD_FAILURE() << "attribute " << name << " not quoted: " << tag;
            break;
        }
        attributes[name] = tag.substr(open + 1, close - open - 1);
        at = close + 1;
    }
    return attributes;
}

// The start tags named element, in document order.
std::vector<std::string> StartTags(const std::string& xml, const std::string& element) {
    std::vector<std::string> tags;
    const std::string open = "<" + element + " ";
    for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        tags.push_back(xml.substr(at, xml.find('>', at) - at));
    }
    return tags;
}

class ManifestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(module, nullptr) << "plug-in " << KX_PLUGIN_FILE_NAME << " not loaded";
        HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(2), 1033);
        ASSERT_NE(found, nullptr) << "no manifest 2 in language 1033";
        HGLOBAL loaded = LoadResource(module, found);
        ASSERT_NE(loaded, nullptr);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        ASSERT_NE(bytes, nullptr);
        xml.assign(bytes, SizeofResource(module, found));
    }

    HMODULE module = LoadedPlugin().module;
    std::string xml;
};

TEST_F(ManifestTest, Resource_OneManifestWithId2InUsEnglish) {
    EXPECT_EQ(NamesOf(module, MAKEINTRESOURCEW(24)), std::vector<ULONG_PTR>{2});
    EXPECT_EQ(LanguagesOf(module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(2)), std::vector<LANGID>{1033});
}

TEST_F(ManifestTest, Text_IdentityDescriptionAndCommonControlsDependency) {
    EXPECT_EQ(xml.compare(0, 5, "<?xml"), 0) << xml;
    EXPECT_NE(xml.find("<description>kxpsui</description>"), std::string::npos) << xml;
    const std::vector<std::string> identities = StartTags(xml, "assemblyIdentity");
    ASSERT_EQ(identities.size(), 2u) << xml;
    const size_t dependency = xml.find("<dependentAssembly>");
    ASSERT_NE(dependency, std::string::npos);
    EXPECT_LT(xml.find(identities[0]), dependency) << "the module's own identity comes first";
    EXPECT_GT(xml.find(identities[1]), dependency) << "the second identity names the dependency";

    std::map<std::string, std::string> own = Attributes(identities[0]);
    EXPECT_FALSE(own["name"].empty());
    const std::map<std::string, std::string> expectedOwn = {
        {"name", own["name"]}, {"version", "1.0.0.0"}, {"processorArchitecture", "amd64"}, {"type", "win32"}};
    EXPECT_EQ(own, expectedOwn);

    const std::map<std::string, std::string> expectedDependency = {{"type", "win32"},
                                                                   {"name", "Microsoft.Windows.Common-Controls"},
                                                                   {"version", "6.0.0.0"},
                                                                   {"processorArchitecture", "amd64"},
                                                                   {"publicKeyToken", "6595b64144ccf1df"},
                                                                   {"language", "*"}};
    EXPECT_EQ(Attributes(identities[1]), expectedDependency);
}

}  // namespace

#endif  // KX_PLATFORM_WINDOWS
