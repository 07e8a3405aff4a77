// The PPD check of kxpsui-host --check: seeded faults at their lines, the
// project's sample and the corpus read as the plug-in reads them, and the
// tool's exit status.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "host/check/check_command.h"
#include "host/check/ppd_check.h"
#include "host/common/text.h"
#include "ppd/ppd_document.h"
#include "resources/feature_labels.h"
#include "tests/support/test_text.h"

namespace {

const char* const kFixtures[] = {
    "second-query.ppd",
    "unclosed-block.ppd",
    "nested-block.ppd",
    "closeui-without-keyword.ppd",
    "long-texts.ppd",
    "long-texts-sjis.ppd",
    "long-segments.ppd",
    "unknown-constraint-names.ppd",
    "one-way-constraint.ppd",
    "installable-without-default.ppd",
    "same-translation.ppd",
    "rendering-one-option.ppd",
    "rendering-colour-first.ppd",
    "left-out-option.ppd",
    "info-only.ppd",
};

std::string FixturePath(const std::string& name) {
    return std::string(KX_SOURCE_DIR) + "/tests/fixtures/check/" + name;
}

std::string ReadBytes(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    if (bytes.empty()) {
        ADD_FAILURE() << "cannot read " << path;
    }
    return bytes;
}

std::vector<std::string> PpdFilesIn(const std::string& directory) {
    std::vector<std::string> paths;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ppd") == 0) {
            paths.push_back(directory + "/" + name);
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

struct Expected {
    int line;
    std::string severity;
    std::string code;
    std::string text;  // a part of the message
};

// A fixture's "*% expect: SEVERITY CODE: TEXT" lines, each for the line after
// it.
std::vector<Expected> ExpectedFindings(const std::string& bytes) {
    static const char kPrefix[] = "*% expect: ";
    std::vector<Expected> expected;
    int line = 1;
    for (size_t start = 0; start < bytes.size(); ++line) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end;
        const std::string text = bytes.substr(start, end - start);
        if (text.compare(0, strlen(kPrefix), kPrefix) == 0) {
            const size_t space = text.find(' ', strlen(kPrefix));
            const size_t colon = text.find(": ", space);
            expected.push_back(Expected{line + 1, text.substr(strlen(kPrefix), space - strlen(kPrefix)),
                                        text.substr(space + 1, colon - space - 1), text.substr(colon + 2)});
        }
        start = end + 1;
    }
    return expected;
}

// Empty when the findings are exactly the expected ones, else what differs.
std::string Compare(const std::vector<Expected>& expected, const std::vector<PpdFinding>& findings) {
    std::vector<bool> matched(findings.size(), false);
    std::string problems;
    for (const Expected& e : expected) {
        bool found = false;
        for (size_t i = 0; i < findings.size() && !found; ++i) {
            found = !matched[i] && findings[i].line == e.line && e.severity == PpdSeverityName(findings[i].severity) &&
                    e.code == PpdFindingCodeName(findings[i].code) &&
                    findings[i].message.find(e.text) != std::string::npos;
            matched[i] = matched[i] || found;
        }
        if (!found) {
            problems +=
                "missing: " + std::to_string(e.line) + ": " + e.severity + ": " + e.text + " [" + e.code + "]\n";
        }
    }
    for (size_t i = 0; i < findings.size(); ++i) {
        if (!matched[i]) {
            problems += "unexpected: " + FormatPpdFinding("", findings[i]) + "\n";
        }
    }
    return problems;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

const char kHeader[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*ModelName: \"KX Check\"\n";

}  // namespace

TEST(PpdCheck, Fixtures_ReportEachSeededFaultAtItsLineAndNothingElse) {
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadBytes(FixturePath(name));
        const std::vector<Expected> expected = ExpectedFindings(bytes);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ("", Compare(expected, CheckPpdBytes(bytes).findings));
    }
}

// Text mode makes CR LF one line end; a CR alone also ends a line.
TEST(PpdCheck, Fixtures_OtherLineEndsGiveTheSameFindings) {
    for (const char* lineEnd : {"\r\n", "\r"}) {
        for (const char* name : kFixtures) {
            SCOPED_TRACE(std::string(name) + (lineEnd[1] != 0 ? " CR LF" : " CR"));
            const std::string bytes = ReadBytes(FixturePath(name));
            const PpdCheckResult result = CheckPpdBytes(ReplaceAll(bytes, "\n", lineEnd));
            EXPECT_EQ("", Compare(ExpectedFindings(bytes), result.findings));
        }
    }
}

// A 0x1A byte ends the input as the end of the file does.
TEST(PpdCheck, EndOfInput_CutsWhatTheReaderTakes) {
    const std::string block =
        "*OpenUI *KXToner/Toner Save Mode: Boolean\n"
        "*DefaultKXToner: False\n"
        "*KXToner True/On: \"\"\n"
        "*KXToner False/Off: \"\"\n";
    const std::string lost = "*OpenUI *KXLumaq/Toner Save Mode: Boolean\n*CloseUI: *KXLumaq\n";
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<Expected> expected;
    } rows[] = {
        {"between blocks",
         kHeader + block + "*CloseUI: *KXToner\n\x1A\n" + lost,
         {{10, "error", "end-of-input-byte", "a 0x1A byte ends the input here"}}},
        {"inside a block",
         kHeader + block + "\x1A*CloseUI: *KXToner\n" + lost,
         {{5, "error", "unclosed-block", "*KXToner never closes"},
          {9, "error", "end-of-input-byte", "a 0x1A byte ends the input here"}}},
        {"at the end, after blanks", kHeader + block + "*CloseUI: *KXToner\n\x1A\r\n\x1A", {}},
        {"*CloseUI without its keyword",
         kHeader + block + "*CloseUI:\n",
         {{9, "warning", "closeui-without-keyword", "*CloseUI of *KXToner has no keyword before the end of the file"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ("", Compare(row.expected, CheckPpdBytes(row.bytes).findings));
    }
}

// Bytes that are not a PPD give one error and nothing else. Binary data is a
// NUL byte or more than one control byte in 16 within the first KiB.
TEST(PpdCheck, NotAPpd_IsOneErrorAndNothingElse) {
    const std::string ppd = kHeader;
    auto commentOfControls = [](size_t controls) {
        std::string bytes = std::string(kHeader) + "*% " + std::string(controls, '\x1B');
        bytes.resize(1024, 'x');
        return bytes;
    };
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<Expected> expected;
    } rows[] = {
        {"empty", "", {{0, "error", "not-a-ppd", "the file is empty: not a PPD file"}}},
        {"NUL in the first KiB",
         kHeader + std::string(1, '\0') + "\n",
         {{0, "error", "not-a-ppd", "binary data (a NUL byte at offset " + std::to_string(strlen(kHeader)) + ")"}}},
        {"NUL after the first KiB", commentOfControls(0) + "\n" + std::string(1, '\0'), {}},
        {"one control byte in 16", commentOfControls(64), {}},
        {"one more",
         commentOfControls(65),
         {{0, "error", "not-a-ppd", "65 of its first 1024 bytes are control bytes"}}},
        {"plain text",
         "hello, world\n",
         {{1, "error", "not-a-ppd", "the file begins with 'hello,', not with *PPD-Adobe"}}},
        {"*PPD-Adobe second",
         "*% a comment\n*FormatVersion: \"4.3\"\n" + ppd,
         {{2, "error", "not-a-ppd", "begins with '*FormatVersion'"}}},
        {"a byte-order mark first",
         "\xEF\xBB\xBF" + ppd,
         {{1, "error", "not-a-ppd", "begins with '\\xEF\\xBB\\xBF*PPD"}}},
        {"blanks and comments", " \n\t\n*% nothing\n% else\n", {{0, "error", "not-a-ppd", "holds no statement"}}},
        {"0x1A first", "\x1A" + ppd, {{0, "error", "not-a-ppd", "holds no statement"}}},
        {"comments, then *PPD-Adobe", "% a comment\n*% another\n" + ppd, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ("", Compare(row.expected, CheckPpdBytes(row.bytes).findings));
    }
}

TEST(PpdCheck, RenderingFirstOption_MonochromeByKeywordOrTranslationInAnyCase) {
    struct Row {
        const char* firstOption;
        bool reported;
    } rows[] = {
        {"Mono/Color Off", false}, {"Std/GRAYSCALE", false}, {"K/Grey Tones", false},
        {"K/Black Only", false},   {"BW/Plain", false},      {"A/B<2F>W", false},
        {"Color/Color", true},     {"Auto/Automatic", true}, {"Monochrome", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.firstOption);
        const std::string bytes = std::string(kHeader) + "*OpenUI *KXRendering/Color Mode: PickOne\n" +
                                  "*DefaultKXRendering: Color\n" + "*KXRendering " + row.firstOption + ": \"\"\n" +
                                  "*KXRendering Color/Color: \"\"\n" + "*CloseUI: *KXRendering\n";
        std::vector<Expected> expected;
        if (row.reported) {
            expected.push_back({7, "warning", "rendering-colour-first", "does not read as monochrome"});
        }
        EXPECT_EQ("", Compare(expected, CheckPpdBytes(bytes).findings));
    }
}

// A shared translation matters where the plug-in tags one of the features:
// the rows of its label table that carry no public item.
TEST(PpdCheck, SameTranslation_WarnsWhereThePluginTagsOneOfTheFeatures) {
    for (size_t i = 0; FeatureLabelTable[i].itemCode != 0; ++i) {
        const std::string keyword = Utf16ToUtf8(FeatureLabelTable[i].keyword);
        SCOPED_TRACE(keyword);
        const std::string bytes = std::string(kHeader) + "*OpenUI *KXJobSeparator/Shared Name: Boolean\n" +
                                  "*DefaultKXJobSeparator: False\n*KXJobSeparator False/Off: \"\"\n" +
                                  "*CloseUI: *KXJobSeparator\n" + "*OpenUI " + keyword + "/Shared Name: PickOne\n" +
                                  "*Default" + keyword.substr(1) + ": Mono\n" + keyword + " Mono/Mono: \"\"\n" +
                                  keyword + " Color/Color: \"\"\n" + "*CloseUI: " + keyword + "\n";
        const char* severity = FeatureLabelTable[i].publicItemId == 0 ? "warning" : "info";
        EXPECT_EQ("",
                  Compare({{9, severity, "same-translation", "has the same translation as *KXJobSeparator (line 5)"}},
                          CheckPpdBytes(bytes).findings));
    }
}

TEST(PpdCheck, Samples_ReportNothing) {
    const std::vector<std::string> samples = PpdFilesIn(std::string(KX_SOURCE_DIR) + "/samples");
    ASSERT_FALSE(samples.empty());
    for (const std::string& path : samples) {
        SCOPED_TRACE(path);
        PpdCheckResult result;
        std::string error;
        ASSERT_TRUE(CheckPpdFile(path, &result, &error)) << error;
        EXPECT_EQ("", Compare({}, result.findings));
        EXPECT_GT(result.featureCount, 0);
    }
}

// The check reads what the plug-in's reader reads: the same counts for every
// file, faulty fixtures included; and every finding is one printable line
// within the file.
TEST(PpdCheck, Files_ReadAsThePluginReadsThem) {
    std::vector<std::string> paths = PpdFilesIn(KX_CORPUS_DIR);
    ASSERT_FALSE(paths.empty());
    for (const char* name : kFixtures) {
        paths.push_back(FixturePath(name));
    }
    for (const std::string& sample : PpdFilesIn(std::string(KX_SOURCE_DIR) + "/samples")) {
        paths.push_back(sample);
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        PpdCheckResult result;
        std::string error;
        ASSERT_TRUE(CheckPpdFile(path, &result, &error)) << error;

        const std::u16string widePath = Utf8ToUtf16(path);
        FILE* stream = _wfopen(reinterpret_cast<const WCHAR*>(widePath.c_str()), TEXT("r"));
        ASSERT_NE(nullptr, stream);
        PpdDocument* document = new (std::nothrow) PpdDocument(stream);
        fclose(stream);
        ASSERT_NE(nullptr, document);
        int options = 0;
        for (int32_t f = 0; f < document->featureCount; ++f) {
            options += document->features[f]->optionCount;
        }
        EXPECT_EQ(document->featureCount, result.featureCount);
        EXPECT_EQ(options, result.optionCount);
        EXPECT_EQ(document->constraintCount, result.constraintCount);
        EXPECT_EQ(document->installableCount, result.installableCount);
        delete document;

        const std::string bytes = ReadBytes(path);
        const int lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
        for (const PpdFinding& finding : result.findings) {
            const std::string& m = finding.message;
            EXPECT_TRUE(finding.line >= 1 && finding.line <= lines) << FormatPpdFinding(path, finding);
            EXPECT_TRUE(std::all_of(m.begin(), m.end(), [](char c) { return c >= 32 && c < 127; })) << m;
        }
    }
}

// The two test files of the corpus carry deliberately malformed lines.
TEST(PpdCheck, Corpus_MalformedFilesHaveFindings) {
    for (const char* name : {"02-latin1-8f-0c-inst.ppd", "03-latin1-9f-6c-inst.ppd"}) {
        SCOPED_TRACE(name);
        PpdCheckResult result;
        std::string error;
        ASSERT_TRUE(CheckPpdFile(std::string(KX_CORPUS_DIR) + "/" + name, &result, &error)) << error;
        EXPECT_FALSE(result.findings.empty());
    }
}

TEST(PpdCheck, SecondQueryLine_StopsTheCountsWhereTheReaderStops) {
    const std::string path = FixturePath("second-query.ppd");
    PpdCheckResult result;
    std::string error;
    ASSERT_TRUE(CheckPpdFile(path, &result, &error)) << error;
    EXPECT_EQ(ExpectedFindings(ReadBytes(path)).at(0).line, result.stopLine);
    EXPECT_EQ(1, result.featureCount);
    EXPECT_EQ(0, result.constraintCount);
}

// The command line as kxpsui-host hands it over, --check anywhere in it.
TEST(RunCheckCommand, ExitStatusAndStreams) {
    const std::string sample = SamplePpdPath();
    const std::string faulty = FixturePath("rendering-one-option.ppd");
    const Expected fault = ExpectedFindings(ReadBytes(faulty)).at(0);
    const std::string faultLine = faulty + ":" + std::to_string(fault.line) + ": error: " + fault.text;
    const std::string infoOnly = FixturePath("info-only.ppd");
    const std::string missing = FixturePath("no-such-file.ppd");
    const std::string directory = std::string(KX_SOURCE_DIR) + "/tests/fixtures/check";
    const std::string cannotRead = ": cannot read the file: ";
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string outPart;  // empty: nothing is written to out
        std::string errPart;  // empty: nothing is written to err
    } rows[] = {
        {"clean", {"--check", sample}, 0, "1 file: 0 errors, 0 warnings, 0 infos\n", ""},
        {"infos only", {"--check", infoOnly}, 0, ": info: ", ""},
        {"findings, --check last", {faulty, "--check"}, 1, faultLine, ""},
        {"missing file",
         {"--check", missing},
         2,
         "1 file (1 unreadable): 0 errors",
         "kxpsui-host: " + missing + cannotRead},
        {"directory",
         {"--check", directory},
         2,
         "1 file (1 unreadable)",
         "kxpsui-host: " + directory + cannotRead + "is a directory"},
        {"no file", {"--json", "--check"}, 2, "", "kxpsui-host: --check needs at least one PPD file"},
        {"an option of the report", {"--check", "--color", "1", sample}, 2, "", "kxpsui-host: unknown option --color"},
        {"--help after a path", {"--check", sample, "--help"}, 0, "usage: kxpsui-host --check", ""},
        {"a path after --",
         {"--check", "--", "--help"},
         2,
         "1 file (1 unreadable)",
         "kxpsui-host: --help" + cannotRead},
        {"findings, then a missing file", {"--check", faulty, missing}, 2, faultLine, "kxpsui-host: " + missing},
        {"three files: no progress",
         {"--check", sample, infoOnly, sample},
         0,
         "3 files: 0 errors, 0 warnings, 1 info\n",
         ""},
        {"four files: progress",
         {"--check", sample, sample, faulty, sample},
         1,
         "4 files: 1 error, 0 warnings, 0 infos\n",
         "[3/4] " + faulty + "\n[4/4] "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FILE* out = tmpfile();
        FILE* err = tmpfile();
        ASSERT_NE(nullptr, out);
        ASSERT_NE(nullptr, err);
        EXPECT_EQ(row.status, RunCheckCommand(row.args, out, err));
        const std::string outText = StreamBytes(out);
        const std::string errText = StreamBytes(err);
        fclose(out);
        fclose(err);
        if (row.outPart.empty()) {
            EXPECT_EQ("", outText);
        } else {
            EXPECT_NE(std::string::npos, outText.find(row.outPart)) << outText;
        }
        if (row.errPart.empty()) {
            EXPECT_EQ("", errText);
        } else {
            EXPECT_NE(std::string::npos, errText.find(row.errPart)) << errText;
        }
    }
}

TEST(RunCheckCommand, ResultsThatCannotBeWritten_AreExitStatus2) {
    const std::string sample = std::string(KX_SOURCE_DIR) + "/samples/kx-color-page.ppd";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--check", sample}, std::vector<std::string>{"--check", "--json", sample}}) {
        SCOPED_TRACE(args[1]);
        FILE* readOnly = fopen(sample.c_str(), "rb");
        FILE* err = tmpfile();
        ASSERT_NE(nullptr, readOnly);
        ASSERT_NE(nullptr, err);
        EXPECT_EQ(2, RunCheckCommand(args, readOnly, err));
        EXPECT_EQ("kxpsui-host: cannot write the check's results\n", StreamBytes(err));
        fclose(readOnly);
        fclose(err);
    }
}

TEST(FormatPpdFinding, LineZeroLeavesTheLineOut) {
    EXPECT_EQ("a.ppd:7: warning: text [text-cut]",
              FormatPpdFinding("a.ppd", PpdFinding{7, PpdSeverity::kWarning, PpdFindingCode::kTextCut, "text"}));
    EXPECT_EQ("a.ppd: error: text [not-a-ppd]",
              FormatPpdFinding("a.ppd", PpdFinding{0, PpdSeverity::kError, PpdFindingCode::kNotAPpd, "text"}));
}

// Scripts match on the codes, so each is in the README's table, distinct.
TEST(PpdFindingCode, EachCodeHasItsOwnRowInTheReadme) {
    const std::string readme = ReadBytes(std::string(KX_SOURCE_DIR) + "/README.md");
    for (int code = 0; code <= static_cast<int>(PpdFindingCode::kTextCut); ++code) {
        const std::string row = std::string("| `") + PpdFindingCodeName(static_cast<PpdFindingCode>(code)) + "` |";
        SCOPED_TRACE(row);
        const size_t at = readme.find(row);
        EXPECT_NE(std::string::npos, at);
        EXPECT_EQ(std::string::npos, readme.find(row, at + 1));
    }
}
