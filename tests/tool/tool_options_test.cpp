// kxpsui-host's command line: what it accepts, and what the PPD's own
// features allow (the refusals as the user sees them are the command's
// tests).
#include <gtest/gtest.h>

#include "host/common/files.h"
#include "host/tool/tool_options.h"

namespace {

std::string SamplePpd() {
    return std::string(KX_SOURCE_DIR) + "/samples/kx-color-page.ppd";
}

}  // namespace

TEST(ToolArguments, EveryOption_LandsInItsField) {
    ToolOptions options;
    std::string error;
    ASSERT_TRUE(ParseToolArguments(
        {"x.ppd", "--json", "--installed", "*KXTrayUnit=1Tray", "--installed", "InstalledMemory=512MB", "--color", "0",
         "--change-color", "1", "--change-color", "0", "--plugin", "other.dll"},
        &options, &error))
        << error;
    EXPECT_FALSE(options.help);
    EXPECT_EQ("x.ppd", options.ppdPath);
    EXPECT_TRUE(options.json);
    EXPECT_EQ((InstalledValues{{"KXTrayUnit", "1Tray"}, {"InstalledMemory", "512MB"}}), options.installed);
    EXPECT_EQ(0, options.colorSelection);
    EXPECT_TRUE(options.colorChangesGiven);
    EXPECT_EQ((std::vector<LONG>{1, 0}), options.colorChanges);
    EXPECT_EQ("other.dll", options.pluginPath);

    ASSERT_TRUE(ParseToolArguments({}, &options, &error)) << error;
    EXPECT_TRUE(options.ppdPath.empty());
    EXPECT_EQ(-1, options.colorSelection);
    EXPECT_FALSE(options.colorChangesGiven);
}

TEST(ToolArguments, AgainstTheHostsReading_OnlyInstallableFeaturesAndTheirOptions) {
    DriverPpd ppd;
    std::string error;
    ASSERT_TRUE(ReadDriverPpd(SamplePpd(), &ppd, &error)) << error;
    const int color = FindDriverPpdFeature(ppd, "*ColorModel");
    ASSERT_GE(color, 0);
    const LONG colorOptions = static_cast<LONG>(ppd.features[static_cast<size_t>(color)].optionKeywords.size());

    struct Row {
        std::vector<std::string> args;
        bool valid;
        const char* named;
    } rows[] = {
        {{"--installed", "KXTrayUnit=2Tray"}, true, ""},
        {{"--installed", "*KXTrayUnit=None"}, true, ""},
        {{"--installed", "KXTrayUnit=3Tray"}, false, "3Tray"},
        {{"--installed", "KXTrayunit=None"}, false, "*KXTrayunit"},
        {{"--installed", "NoSuchFeature=On"}, false, "*NoSuchFeature"},
        {{"--installed", "PageSize=A4"}, false, "*PageSize"},  // a feature, but not an installable one
        {{"--color", std::to_string(colorOptions - 1)}, true, ""},
        {{"--color", std::to_string(colorOptions)}, false, "--color"},
        {{"--change-color", "0", "--change-color", std::to_string(colorOptions)}, false, "--change-color"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.back());
        ToolOptions options;
        ASSERT_TRUE(ParseToolArguments(row.args, &options, &error)) << error;
        error.clear();
        EXPECT_EQ(row.valid, ValidateToolOptions(options, ppd, &error)) << error;
        EXPECT_NE(std::string::npos, error.find(row.named)) << error;
    }

    // A PPD without a colour item takes no colour selection at all.
    DriverPpd noColor;
    ParseDriverPpd("*PPD-Adobe: \"4.3\"\n", &noColor);
    ToolOptions options;
    ASSERT_TRUE(ParseToolArguments({"--color", "0"}, &options, &error));
    EXPECT_FALSE(ValidateToolOptions(options, noColor, &error));
    EXPECT_NE(std::string::npos, error.find("no colour item")) << error;
}

TEST(ToolArguments, PathFileName_EitherSeparator) {
    EXPECT_EQ("a.ppd", PathFileName("a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("/x/y/a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("Z:\\x\\a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("..\\x/a.ppd"));
}
