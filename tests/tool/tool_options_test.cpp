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

// The colour item's two options by index or by name in any case; once
// for --color, as often as wanted for --change-color.
TEST(ToolArguments, ColorSelections_IndexOrNameAndTheRangeWhenOutside) {
    const struct {
        std::vector<std::string> args;
        LONG color;                 // -1: not given
        std::vector<LONG> changes;  // when accepted
        const char* refusal;        // null: accepted
    } rows[] = {
        {{"--color", "0"}, 0, {}, nullptr},
        {{"--color", "Color"}, 1, {}, nullptr},
        {{"--color", "grayscale"}, 0, {}, nullptr},
        {{"--change-color", "GRAYSCALE", "--change-color", "1", "--change-color", "color"}, -1, {0, 1, 1}, nullptr},
        {{"--color", "00"}, 0, {}, nullptr},
        {{"--color", "2"}, -1, {}, "two options, 0 (Grayscale) and 1 (Color)"},
        {{"--change-color", "99999999999"}, -1, {}, "two options, 0 (Grayscale) and 1 (Color)"},
        {{"--color", "-1"}, -1, {}, "expected 0, 1, Grayscale or Color"},
        {{"--color", "mono"}, -1, {}, "expected 0, 1, Grayscale or Color"},
        {{"--color", "Color1"}, -1, {}, "expected 0, 1, Grayscale or Color"},
        {{"--color", "0", "--color", "1"}, -1, {}, "--color given twice"},
    };
    for (const auto& row : rows) {
        std::string what;
        for (const std::string& arg : row.args) {
            what += arg + " ";
        }
        SCOPED_TRACE(what);
        ToolOptions options;
        std::string error;
        ASSERT_EQ(row.refusal == nullptr, ParseToolArguments(row.args, &options, &error)) << error;
        if (row.refusal != nullptr) {
            EXPECT_NE(std::string::npos, error.find(row.refusal)) << error;
            continue;
        }
        EXPECT_EQ(row.color, options.colorSelection);
        EXPECT_EQ(row.changes, options.colorChanges);
    }
}

TEST(ToolArguments, AgainstTheHostsReading_OnlyInstallableFeaturesAndTheColorItemOfAColorDevice) {
    DriverPpd ppd;
    std::string error;
    ASSERT_TRUE(ReadDriverPpd(SamplePpd(), &ppd, &error)) << error;
    DriverPpd noColor;
    ParseDriverPpd("*PPD-Adobe: \"4.3\"\n*ColorDevice: False\n", &noColor);

    struct Row {
        std::vector<std::string> args;
        const DriverPpd* ppd;
        bool valid;
        const char* named;
    } rows[] = {
        {{"--installed", "KXTrayUnit=2Tray"}, &ppd, true, ""},
        {{"--installed", "*KXTrayUnit=None"}, &ppd, true, ""},
        {{"--installed", "KXTrayUnit=3Tray"}, &ppd, false, "3Tray"},
        {{"--installed", "KXTrayunit=None"}, &ppd, false, "*KXTrayunit"},
        {{"--installed", "NoSuchFeature=On"}, &ppd, false, "*NoSuchFeature"},
        {{"--installed", "PageSize=A4"}, &ppd, false, "*PageSize"},  // a feature, but not an installable one
        {{"--color", "0", "--change-color", "1"}, &ppd, true, ""},
        {{"--color", "1"}, &noColor, false, "--color: the PPD has no colour item"},
        {{"--change-color", "0"}, &noColor, false, "--change-color: the PPD has no colour item"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.back());
        ToolOptions options;
        ASSERT_TRUE(ParseToolArguments(row.args, &options, &error)) << error;
        error.clear();
        EXPECT_EQ(row.valid, ValidateToolOptions(options, *row.ppd, &error)) << error;
        EXPECT_NE(std::string::npos, error.find(row.named)) << error;
    }
}

TEST(ToolArguments, PathFileName_EitherSeparator) {
    EXPECT_EQ("a.ppd", PathFileName("a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("/x/y/a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("Z:\\x\\a.ppd"));
    EXPECT_EQ("a.ppd", PathFileName("..\\x/a.ppd"));
}
