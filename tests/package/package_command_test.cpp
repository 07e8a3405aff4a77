// kxpsui-package in process: the sample and corpus PPDs package cleanly (and
// in the Windows build each package reads back through the platform's INF
// reader); each refusal exits with its status, one line per error, and
// leaves the place it would have written as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/check/ppd_check.h"
#include "host/common/sha256.h"
#include "tests/package/inf_readback.h"
#include "tests/package/package_test_util.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDate[] = "2024-05-01";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

void ExpectErrorLines(const std::string& err) {
    EXPECT_FALSE(err.empty());
    for (size_t start = 0; start < err.size();) {
        const size_t end = err.find('\n', start);
        EXPECT_EQ(err.compare(start, 16, "kxpsui-package: "), 0) << err.substr(start, end - start);
        start = end == std::string::npos ? err.size() : end + 1;
    }
}

// The folder holds exactly the manifest's files, each of its size and hash.
void ExpectManifestMatches(const fs::path& folder, size_t ppdCount) {
    const std::string manifest = ReadBytes(folder / "manifest.json");
    size_t files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name == "manifest.json") {
            continue;
        }
        const std::string bytes = ReadBytes(entry.path());
        const std::string row = "{\"name\": \"" + name + "\", \"size\": " + std::to_string(bytes.size()) +
                                ", \"sha256\": \"" + Sha256Hex(bytes.data(), bytes.size()) + "\"}";
        EXPECT_NE(manifest.find(row), std::string::npos) << row << "\n" << manifest;
        ++files;
    }
    EXPECT_EQ(files, 3 + ppdCount) << "the INF, the configuration file, the DLL and the PPDs";
}

}  // namespace

TEST(PackageCommand, SampleAndCorpusPackageCleanly) {
    WorkFolder work;
    // A second model of the project's own, its name with characters the INF
    // syntax gives a meaning (; , %).
    const fs::path variant = work.root / "kx-color-page-duplex.ppd";
    WriteBytes(variant, Replaced(ReadBytes(SamplePpd()), "*NickName: \"KX Color Page Printer PS3\"",
                                 "*NickName: \"KX Color Page Printer PS3; Duplex, 100%\""));
    const std::vector<std::vector<std::string>> packages = {
        {SamplePpd()},
        {CorpusPpd("10-latin1-8f-37c-inst.ppd")},
        {CorpusPpd("31-sjis-19f-298c-inst.ppd")},
        {CorpusPpd("57-latin1-70f-9244c-inst.ppd")},
        {SamplePpd(), variant.string()},
    };
    for (const std::vector<std::string>& ppds : packages) {
        SCOPED_TRACE(ppds.back());
        std::vector<std::string> args = {"--date", kDate, work.Run("pkg")};
        args.insert(args.end(), ppds.begin(), ppds.end());
        // Where the check warns, the package needs --allow-warnings.
        bool warns = false;
        for (const std::string& ppd : ppds) {
            PpdCheckResult result;
            std::string error;
            ASSERT_TRUE(CheckPpdFile(ppd, &result, &error)) << error;
            for (const PpdFinding& finding : result.findings) {
                warns = warns || finding.severity == PpdSeverity::kWarning;
            }
        }
        if (warns) {
            EXPECT_EQ(work.Package(args), 1) << work.err;
            EXPECT_TRUE(work.Listing().empty());
            args.push_back("--allow-warnings");
        }
        ASSERT_EQ(work.Package(args), 0) << work.err;
        EXPECT_EQ(work.err.empty(), !warns) << work.err;
        ExpectManifestMatches(work.run / "pkg", ppds.size());
#if KX_PLATFORM_WINDOWS
        ExpectInfReadsBack(work.run / "pkg", ppds, kDate);
#endif
        fs::remove_all(work.run / "pkg");
    }
}

TEST(PackageCommand, RefusalsLeaveEverythingAsItWas) {
    WorkFolder work;
    const std::string sample = SamplePpd();
    const std::string bytes = ReadBytes(sample);
    const fs::path copy = work.root / "copy.ppd";
    WriteBytes(copy, bytes);
    fs::create_directory(work.root / "upper");
    const fs::path upper = work.root / "upper" / "KX-COLOR-PAGE.PPD";
    WriteBytes(upper, Replaced(bytes, "PS3\"", "PS3 Upper\""));
    const fs::path otherMaker = work.root / "other-maker.ppd";
    WriteBytes(otherMaker, Replaced(Replaced(bytes, "PS3\"", "PS3 Other\""), "*Manufacturer: \"KX\"",
                                    "*Manufacturer: \"KX Other\""));
    // The built DLL with file version 1.2.2.1 (the fixed part's last word
    // follows its signature by 12 bytes).
    std::string dll = ReadBytes(KX_PACKAGE_TEST_DLL);
    const size_t fixedInfo = dll.find("\xBD\x04\xEF\xFE");
    ASSERT_NE(fixedInfo, std::string::npos);
    dll[fixedInfo + 12] = 1;
    const fs::path otherVersion = work.root / "other-version.dll";
    WriteBytes(otherVersion, dll);
    WriteBytes(work.Run("file"), "not a folder");
    fs::create_directory(work.run / "notes");
    WriteBytes(work.run / "notes" / "todo.txt", "a folder of someone's own");
    const std::string out = work.Run("pkg");
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {"a check error", {out, FixturePpd("rendering-one-option.ppd"), "--allow-warnings"}, 1, ": error: "},
        {"a check warning", {out, FixturePpd("installable-without-default.ppd")}, 1, "--allow-warnings builds"},
        {"the same model name", {out, sample, copy.string()}, 1, "the same model name"},
        {"file names differing in case", {out, sample, upper.string()}, 1, "differ only in case"},
        {"two manufacturers", {out, sample, otherMaker.string()}, 1, "a package has one provider"},
        {"a DLL that is not an image", {"--dll", sample, out, sample}, 1, "not a PE image"},
        {"a DLL of another version", {"--dll", otherVersion.string(), out, sample}, 1, "file version 1.2.2.1"},
        {"a missing PPD", {out, work.Run("none.ppd")}, 2, "none.ppd: no such file"},
        {"OUTDIR in a file", {work.Run("file/pkg"), sample}, 2, "cannot create a folder"},
        {"OUTDIR exists", {work.Run("notes"), sample}, 2, "exists (--force"},
        {"--force on a folder not a package", {"--force", work.Run("notes"), sample}, 2, "not a package folder"},
        {"a day not in the calendar", {"--date", "2023-02-29", out, sample}, 2, "--date 2023-02-29"},
        {"no PPD", {out}, 2, "no PPD given"},
    };
    const std::vector<std::string> before = work.Listing();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(work.Package(c.args), c.status) << work.err;
        EXPECT_NE(work.err.find(c.message), std::string::npos) << work.err;
        ExpectErrorLines(work.err);
        EXPECT_EQ(work.out, "");
        EXPECT_EQ(work.Listing(), before);
    }
}

TEST(PackageCommand, ForceReplacesItsOwnPackageWhole) {
    WorkFolder work;
    const std::string out = work.Run("pkg");
    ASSERT_EQ(work.Package({"--date", "2024-05-01", out, SamplePpd()}), 0) << work.err;
    const std::vector<std::string> first = work.Listing();
    ASSERT_EQ(work.Package({"--force", "--date", "2024-06-02", out, SamplePpd()}), 0) << work.err;
    EXPECT_EQ(work.Listing(), first) << "no folder left beside it";
    EXPECT_NE(ReadBytes(work.run / "pkg" / "manifest.json").find("\"date\": \"2024-06-02\""), std::string::npos);
}
