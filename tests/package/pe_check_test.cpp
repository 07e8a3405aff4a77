// The plug-in image check on the Windows build's kxpsui.dll and on copies of
// it with one fault each.
#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <string>

#include "kx_version.h"
#include "package/pe_check.h"
#include "tests/package/package_test_util.h"

namespace {

uint32_t PeOffset(const std::string& image) {
    uint32_t offset = 0;
    memcpy(&offset, image.data() + 0x3C, 4);  // little-endian on both builds
    return offset;
}

void ReplaceAll(std::string* image, const std::string& from, const std::string& to) {
    for (size_t at = image->find(from); at != std::string::npos; at = image->find(from, at + to.size())) {
        image->replace(at, from.size(), to);
    }
}

}  // namespace

TEST(PluginImage, TheBuiltDllPassesAndEachFaultIsNamed) {
    const std::string built = ReadBytes(KX_PACKAGE_TEST_DLL);
    ASSERT_GT(built.size(), 0x400u) << "the Windows build's kxpsui.dll is needed: " << KX_PACKAGE_TEST_DLL;
    const struct {
        const char* what;
        std::function<void(std::string*)> fault;
        const char* reason;  // empty: passes
    } cases[] = {
        {"as built", [](std::string*) {}, ""},
        {"not an image", [](std::string* image) { *image = "plain text\n"; }, "not a PE image"},
        {"cut after the PE header", [](std::string* image) { image->resize(PeOffset(*image) + 24); },
         "not a PE32+ image"},
        {"a 32-bit machine", [](std::string* image) { image->replace(PeOffset(*image) + 4, 2, "\x4C\x01", 2); },
         "not an x64 image (machine 0x014C)"},
        {"an executable, not a DLL", [](std::string* image) { (*image)[PeOffset(*image) + 23] &= ~0x20; }, "not a DLL"},
        {"an export renamed",
         [](std::string* image) {
             ReplaceAll(image, std::string("DllCanUnloadNow\0", 16), std::string("DllCanUnloadNot\0", 16));
         },
         "does not export DllCanUnloadNow"},
        {"no fixed version information",
         [](std::string* image) { ReplaceAll(image, "\xBD\x04\xEF\xFE", "\xBD\x04\xEF\x00"); }, "has no version block"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string image = built;
        c.fault(&image);
        PluginImageVersion version{};
        std::string error;
        EXPECT_EQ(CheckPluginImage(image, &version, &error), c.reason[0] == 0) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        if (c.reason[0] == 0) {
            EXPECT_EQ(PluginImageVersionText(version), KX_VERSION_TEXT);
        }
    }
}
