// Installed options from the host, and the constraint pass.
#include <gtest/gtest.h>
#include <string.h>

#include <random>

#include "customize/constraints.h"
#include "host/driver/driver_ui.h"
#include "ppd/ppd_alloc.h"
#include "tests/ppd/ppd_test_util.h"

namespace {

// The options of one feature that are marked, in order.
std::string Marked(const PpdDocument& document, const char* keyword) {
    const PpdFeature* feature = FindFeature(document, keyword);
    if (feature == nullptr) {
        return std::string("<no feature ") + keyword + ">";
    }
    std::string out;
    for (int32_t i = 0; i < feature->optionCount; ++i) {
        if (feature->options[i]->constrained) {
            out += "[" + Printable(feature->options[i]->keyword) + "]";
        }
    }
    return out;
}

void Store(PpdDocument* document, const char* keyword, const std::string& value) {
    StoreInstalledValue(document, Units(keyword).c_str(), Units(value).c_str());
}

DocumentPtr ReadConstraintsFixture() {
    DocumentPtr document = ReadDocumentFile(FixturePath("constraints.ppd"));
    EXPECT_NE(nullptr, document);
    if (document != nullptr) {
        EXPECT_EQ(3, document->installableCount);
        EXPECT_NE(nullptr, document->constraintIndex);
    }
    return document;
}

const WCHAR kPoisonUnit = 0xBEEF;

}  // namespace

TEST(Constraints, DuplexUnitValueDecidesTheDuplexMarks) {
    DocumentPtr document = ReadConstraintsFixture();
    ASSERT_NE(nullptr, document);
    // The construction's pass: *KXDuplexOption defaults to False.
    EXPECT_EQ("[DuplexNoTumble]", Marked(*document, "*Duplex"));
    struct Row {
        const char* value;
        const char* duplex;
    };
    const Row rows[] = {
        {"True", ""},  // tied, but nothing forbidden: every option cleared
        {"False", "[DuplexNoTumble]"},
        {"false", "[None]"},  // case-sensitive
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        Store(document.get(), "*KXDuplexOption", row.value);
        EXPECT_EQ(row.value, Printable(document->installables[0]->value));
        EvaluateConstraints(document.get());
        EXPECT_EQ(row.duplex, Marked(*document, "*Duplex"));
        // Written the other way about, a constraint has no effect, and
        // installable features are never marked.
        EXPECT_EQ("", Marked(*document, "*KXDuplexOption"));
        EXPECT_EQ("", Marked(*document, "*KXTrayUnit"));
    }
    Store(document.get(), "*kxduplexoption", "True");
    EXPECT_EQ("", Printable(document->installables[0]->value)) << "keywords compare case-sensitively";
}

TEST(Constraints, LaterSettingOverridesEarlier) {
    DocumentPtr document = ReadConstraintsFixture();
    ASSERT_NE(nullptr, document);
    struct Row {
        const char* trayUnit;
        const char* feeder;
        const char* inputSlot;
        const char* outputBin;
    };
    const Row rows[] = {
        // *KXTrayUnit One forbids Tray2 and Tray3, but *KXFeeder comes later,
        // is tied to *InputSlot too, and forbids neither.
        {"One", "True", "", "[Lower]"},
        {"One", "False", "[Manual]", "[Lower]"},
        {"Two", "False", "[Manual]", ""},
        {"Two", "True", "", ""},
        // The option word left out matches only an empty value.
        {"", "True", "", "[Upper]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.trayUnit << " " << row.feeder);
        Store(document.get(), "*KXTrayUnit", row.trayUnit);
        Store(document.get(), "*KXFeeder", row.feeder);
        EvaluateConstraints(document.get());
        EXPECT_EQ(row.inputSlot, Marked(*document, "*InputSlot"));
        EXPECT_EQ(row.outputBin, Marked(*document, "*OutputBin"));
        EXPECT_EQ("", CompareWithWalk(document.get(), Marks(*document)));
    }
}

TEST(Constraints, UntiedOptionsKeepTheirFlags) {
    DocumentPtr document = ReadConstraintsFixture();
    ASSERT_NE(nullptr, document);
    const PpdFeature* toner = FindFeature(*document, "*KXToner");
    const PpdFeature* feeder = FindFeature(*document, "*KXFeeder");
    ASSERT_NE(nullptr, toner);
    ASSERT_NE(nullptr, feeder);
    toner->options[0]->constrained = true;
    feeder->options[1]->constrained = true;
    FindFeature(*document, "*Duplex")->options[0]->constrained = true;
    for (int pass = 0; pass < 2; ++pass) {
        EvaluateConstraints(document.get());
        EXPECT_EQ("[True]", Marked(*document, "*KXToner")) << "pass " << pass;
        EXPECT_EQ("[False]", Marked(*document, "*KXFeeder")) << "pass " << pass;
        EXPECT_EQ("[DuplexNoTumble]", Marked(*document, "*Duplex")) << "tied options are recomputed";
    }
}

TEST(Constraints, MatchConstraintResults) {
    DocumentPtr document = ReadConstraintsFixture();
    ASSERT_NE(nullptr, document);
    struct Row {
        const char* settingKeyword;
        const char* settingValue;
        const char* feature;
        const char* option;
        int32_t expected;
    };
    const Row rows[] = {
        {"*KXDuplexOption", "False", "*Duplex", "DuplexNoTumble", kConstraintForbids},
        {"*KXDuplexOption", "False", "*Duplex", "None", kConstraintAllows},
        {"*KXDuplexOption", "false", "*Duplex", "None", kConstraintForbids},
        {"*KXDuplexOption", "True", "*Duplex", "DuplexNoTumble", kConstraintAllows},
        {"*KXDuplexOption", "False", "*InputSlot", "Tray1", kConstraintUnrelated},
        {"*Duplex", "DuplexTumble", "*KXDuplexOption", "False", kConstraintForbids},
        {"*KXToner", "True", "*Duplex", "DuplexTumble", kConstraintForbids},
        {"*KXTrayUnit", "", "*OutputBin", "Upper", kConstraintForbids},
        {"*KXTrayUnit", "One", "*OutputBin", "Upper", kConstraintAllows},
        {"*KXTrayUnit", "One", "*Duplex", "None", kConstraintUnrelated},
        {"*KXNone", "One", "*OutputBin", "Lower", kConstraintUnrelated},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.settingKeyword << " " << row.settingValue << " " << row.feature << " "
                                        << row.option);
        PpdText keyword;
        PpdText value;
        keyword.Assign(Units(row.settingKeyword).c_str());
        value.Assign(Units(row.settingValue).c_str());
        const PpdFeature* feature = FindFeature(*document, row.feature);
        ASSERT_NE(nullptr, feature);
        const PpdOption* option = FindOption(*feature, row.option);
        ASSERT_NE(nullptr, option);
        EXPECT_EQ(row.expected, MatchConstraint(document.get(), keyword, value, feature, option));
    }
}

TEST(Constraints, PassAllocatesNothing) {
    DocumentPtr document = ReadConstraintsFixture();
    ASSERT_NE(nullptr, document);
    PpdFailAllocation(-1);
    EvaluateConstraints(document.get());
    EvaluateConstraintsByWalk(document.get());
    EXPECT_EQ(0, PpdAllocationAttempts());
}

TEST(Constraints, EmptyDocumentsAndNullAreHarmless) {
    DocumentPtr empty = ReadDocument("");
    ASSERT_NE(nullptr, empty);
    EvaluateConstraints(empty.get());
    EvaluateConstraints(nullptr);
    EvaluateConstraintsByWalk(nullptr);
    StoreInstalledValue(nullptr, Units("*A").c_str(), Units("B").c_str());
    EXPECT_EQ(nullptr, BuildConstraintIndex(nullptr));
    ReleaseConstraintIndex(nullptr);
}

TEST(StoreInstalledValue, ReplacesTheFirstMatchingSettingOnly) {
    DocumentPtr document = ReadDocument(
        "*OpenGroup: InstallableOptions\n"
        "*OpenUI *KXA: PickOne\n*DefaultKXA: One\n*CloseUI: *KXA\n"
        "*OpenUI *KXB: PickOne\n*DefaultKXB: One\n*CloseUI: *KXB\n"
        "*OpenUI *KXA: PickOne\n*DefaultKXA: Other\n*CloseUI: *KXA\n");
    ASSERT_NE(nullptr, document);
    ASSERT_EQ(3, document->installableCount);
    struct Row {
        const char* keyword;  // null: a null pointer
        const char* value;
        const char* after;  // the three values afterwards
    };
    const Row rows[] = {
        {"*KXA", "Two", "Two One Other"},        {"*KXB", "", "Two  Other"},      {"*KXC", "Three", "Two  Other"},
        {"KXA", "Three", "Two  Other"},          {nullptr, "Four", "Two  Other"}, {"*KXA", nullptr, "Two  Other"},
        {"*KXA", "Five Six", "Five Six  Other"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.keyword ? row.keyword : "null") << " = "
                                        << (row.value ? row.value : "null"));
        const WideString keyword = Units(row.keyword ? row.keyword : "");
        const WideString value = Units(row.value ? row.value : "");
        StoreInstalledValue(document.get(), row.keyword ? keyword.c_str() : nullptr,
                            row.value ? value.c_str() : nullptr);
        EXPECT_EQ(row.after, Printable(document->installables[0]->value) + " " +
                                 Printable(document->installables[1]->value) + " " +
                                 Printable(document->installables[2]->value));
    }
    // A value longer than a text keeps its first 259 units.
    StoreInstalledValue(document.get(), Units("*KXB").c_str(), WideString(300, 'v').c_str());
    EXPECT_EQ(259, document->installables[1]->value.length);
}

TEST(QueryInstalledValue, AsksTheHostForTheNameWithoutItsStar) {
    OEMUIOBJ pci = {};
    HostDriverUi host(&pci);
    host.SetInstalled("KXDuplexOption", "True");
    PluginContext context = {nullptr, &host};
    WCHAR value[kPpdTextCapacity];
    EXPECT_EQ(S_OK, QueryInstalledValue(&pci, &context, Units("*KXDuplexOption").c_str(), value));
    EXPECT_EQ("True", Printable(value));
    ASSERT_EQ(1u, host.queries.size());
    EXPECT_EQ(&pci, host.queries[0].pci);
    EXPECT_EQ("KXDuplexOption", host.queries[0].feature);
    EXPECT_EQ(1, host.References()) << "no reference taken or dropped";
}

TEST(QueryInstalledValue, FailsWithoutAskingWhenThereIsNothingToAsk) {
    HostDriverUi host;
    host.SetInstalled("", "x");
    PluginContext context = {nullptr, &host};
    PluginContext noHost = {nullptr, nullptr};
    struct Row {
        const char* name;
        PluginContext* context;
        const char* keyword;  // null: a null pointer
    };
    const Row rows[] = {
        {"no context", nullptr, "*KXA"},
        {"no host interface", &noHost, "*KXA"},
        {"empty keyword", &context, ""},
        {"null keyword", &context, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WCHAR value[kPpdTextCapacity];
        value[0] = kPoisonUnit;
        const WideString keyword = Units(row.keyword ? row.keyword : "");
        EXPECT_EQ(E_FAIL, QueryInstalledValue(nullptr, row.context, row.keyword ? keyword.c_str() : nullptr, value));
        EXPECT_EQ(kPoisonUnit, value[0]) << "value left alone";
        EXPECT_TRUE(host.queries.empty());
    }
    WCHAR value[kPpdTextCapacity];
    EXPECT_EQ(E_FAIL, QueryInstalledValue(nullptr, &context, Units("*KXA").c_str(), nullptr));
    EXPECT_TRUE(host.queries.empty());
    // A keyword of just the star is asked for under the empty name.
    EXPECT_EQ(S_OK, QueryInstalledValue(nullptr, &context, Units("*").c_str(), value));
    EXPECT_EQ("x", Printable(value));
}

TEST(QueryInstalledValue, HostRefusalsPassThroughUnchanged) {
    struct Row {
        const char* name;
        HRESULT hostResult;
        const char* feature;
        HRESULT expected;
    };
    const Row rows[] = {
        {"not implemented", E_NOTIMPL, "KXA", E_NOTIMPL},
        {"S_FALSE is no answer", S_FALSE, "KXA", S_FALSE},
        {"unknown feature", S_OK, "KXOther", E_INVALIDARG},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HostDriverUi host;
        host.SetRawAnswer("KXA", row.hostResult, std::string("One\0", 4));
        PluginContext context = {nullptr, &host};
        WCHAR value[kPpdTextCapacity];
        value[0] = kPoisonUnit;
        EXPECT_EQ(row.expected,
                  QueryInstalledValue(nullptr, &context, Units(std::string("*") + row.feature).c_str(), value));
        EXPECT_EQ(kPoisonUnit, value[0]);
        EXPECT_EQ(1u, host.queries.size());
    }
}

TEST(QueryInstalledValue, AnswerForms) {
    const std::string x255(255, 'x');
    struct Row {
        const char* name;
        std::string answer;  // the bytes as the host writes them
        const char* expected1252;
        const char* expected932;  // null: as under 1252
    };
    const Row rows[] = {
        {"first of several options", std::string("Two\0One\0", 8), "Two", nullptr},
        {"empty answer", std::string("\0", 1), "", nullptr},
        {"host writes nothing", std::string(), "", nullptr},
        {"255 bytes and NUL", x255 + '\0', nullptr, nullptr},
        {"256 bytes without NUL: cut at byte 255", x255 + "y", nullptr, nullptr},
        {"longer than the buffer", x255 + "yyyy", nullptr, nullptr},
        {"ANSI bytes", std::string("\xB1t\xB1\0", 4), "\\u00B1t\\u00B1", "\\uFF71t\\uFF71"},
        {"double-byte pair", std::string("\x82\xA0\0", 3), "\\u201A\\u00A0", "\\u3042"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HostDriverUi host;
        host.SetRawAnswer("KXA", S_OK, row.answer);
        PluginContext context = {nullptr, &host};
        WCHAR value[kPpdTextCapacity];
        EXPECT_EQ(S_OK, QueryInstalledValue(nullptr, &context, Units("*KXA").c_str(), value));
        const char* expected = row.expected1252;
        if (IsDoubleByteCodePage() && row.expected932 != nullptr) {
            expected = row.expected932;
        }
        EXPECT_EQ(expected != nullptr ? expected : x255, Printable(value));
    }
}

TEST(QueryInstalledValue, NameMustFitItsBuffer) {
    HostDriverUi host;
    PluginContext context = {nullptr, &host};
    WCHAR value[kPpdTextCapacity];
    // 200 hiragana: 400 bytes under 932, which do not fit the 260-byte name;
    // under 1252 each becomes one substitute byte and the host is asked.
    const WideString keyword = Units("*") + WideString(200, 0x3042);
    const HRESULT result = QueryInstalledValue(nullptr, &context, keyword.c_str(), value);
    if (IsDoubleByteCodePage()) {
        EXPECT_EQ(E_FAIL, result);
        EXPECT_TRUE(host.queries.empty());
    } else {
        EXPECT_EQ(E_INVALIDARG, result) << "the fake knows no such feature";
        ASSERT_EQ(1u, host.queries.size());
        EXPECT_EQ(200u, host.queries[0].feature.size());
    }
    // The name and its NUL exactly fill the buffer; one byte more fails.
    for (int32_t extra = 0; extra < 2; ++extra) {
        SCOPED_TRACE(extra == 0 ? "exactly full" : "one over");
        host.queries.clear();
        const WideString name = Units("*" + std::string(kInstalledNameBytes - 1 + extra, 'k'));
        EXPECT_EQ(extra == 0 ? E_INVALIDARG : E_FAIL, QueryInstalledValue(nullptr, &context, name.c_str(), value));
        EXPECT_EQ(extra == 0 ? 1u : 0u, host.queries.size());
    }
}

TEST(QueryInstalledValue, NonAsciiAnswerMatchesTheSameBytesInThePpd) {
    // The host answers in the ANSI code page; the PPD holds the same bytes.
    // Stored as the host's UTF-16, the value equals the constraint's text,
    // which a second trip through the code page would not.
    const std::string bytes = IsDoubleByteCodePage() ? "\x82\xA0" : "\x80";
    DocumentPtr document = ReadDocument(
        "*OpenGroup: InstallableOptions\n*OpenUI *KXRegion: PickOne\n*DefaultKXRegion: Home\n"
        "*CloseUI: *KXRegion\n*CloseGroup: InstallableOptions\n"
        "*OpenUI *KXPaper: PickOne\n*KXPaper Local: \"\"\n*KXPaper Other: \"\"\n*CloseUI: *KXPaper\n"
        "*UIConstraints: *KXRegion " +
        bytes + " *KXPaper Local\n");
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", Marked(*document, "*KXPaper"));
    HostDriverUi host;
    host.SetInstalled("KXRegion", bytes);
    PluginContext context = {nullptr, &host};
    WCHAR value[kPpdTextCapacity];
    ASSERT_EQ(S_OK, QueryInstalledValue(nullptr, &context, document->installables[0]->keyword.chars, value));
    StoreInstalledValue(document.get(), document->installables[0]->keyword.chars, value);
    EvaluateConstraints(document.get());
    EXPECT_EQ("[Local]", Marked(*document, "*KXPaper")) << "value " << Printable(value);
}

namespace {

// A PPD of random features, options, groups and constraints over small
// pools of words, so that keywords repeat across features, installable
// settings and constraints, and option words are left out.
std::string RandomPpd(std::mt19937* random) {
    static const char* const keywords[] = {"*KXA", "*KXB", "*KXC", "*KXD", "*KXE"};
    static const char* const options[] = {"o1", "o2", "o3", ""};
    auto pick = [random](int n) { return static_cast<int>((*random)() % static_cast<unsigned>(n)); };
    std::string ppd;
    const int installables = pick(5);
    ppd += "*OpenGroup: InstallableOptions\n";
    for (int i = 0; i < installables; ++i) {
        const std::string keyword = keywords[pick(5)];
        ppd += "*OpenUI " + keyword + ": PickOne\n";
        if (pick(4) != 0) {
            ppd += "*Default" + keyword.substr(1) + ": " + options[pick(3)] + "\n";
        }
        ppd += keyword + " o1: \"\"\n" + keyword + " o2: \"\"\n*CloseUI: " + keyword + "\n";
    }
    ppd += "*CloseGroup: InstallableOptions\n";
    const int features = pick(7);
    for (int i = 0; i < features; ++i) {
        if (pick(3) == 0) {
            ppd += "*OpenGroup: G" + std::to_string(i) + "\n";
        }
        const std::string keyword = keywords[pick(5)];
        ppd += "*OpenUI " + keyword + ": PickOne\n";
        const int count = pick(6);
        for (int j = 0; j < count; ++j) {
            ppd += keyword + " " + options[pick(3)] + ": \"\"\n";
        }
        ppd += "*CloseUI: " + keyword + "\n";
        if (pick(3) == 0) {
            ppd += "*CloseGroup: G\n";
        }
    }
    const int constraints = pick(40);
    for (int i = 0; i < constraints; ++i) {
        const std::string option1 = options[pick(4)];
        const std::string option2 = options[pick(4)];
        ppd += std::string("*UIConstraints: ") + keywords[pick(5)] + (option1.empty() ? "" : " " + option1) + " " +
               keywords[pick(5)] + (option2.empty() ? "" : " " + option2) + "\n";
    }
    return ppd;
}

}  // namespace

TEST(Constraints, IndexedPassMatchesTheWalkOnRandomDocuments) {
    std::mt19937 random(20240611);
    static const char* const values[] = {"o1", "o2", "o3", "o1", "", "O1", "x"};
    int marked = 0;
    int cleared = 0;
    for (int document = 0; document < 500; ++document) {
        const std::string ppd = RandomPpd(&random);
        SCOPED_TRACE(testing::Message() << "document " << document << "\n" << ppd);
        DocumentPtr read = ReadDocument(ppd);
        ASSERT_NE(nullptr, read);
        ASSERT_EQ("", CheckConsistent(*read));
        ASSERT_NE(nullptr, read->constraintIndex);
        // The construction's pass started from cleared flags.
        const std::vector<bool> afterConstruction = Marks(*read);
        ASSERT_EQ("", CompareWithWalk(read.get(), std::vector<bool>(afterConstruction.size(), false)));
        ASSERT_EQ(afterConstruction, Marks(*read));
        for (int round = 0; round < 8; ++round) {
            // Directly, so that settings sharing a keyword differ too.
            for (int32_t s = 0; s < read->installableCount; ++s) {
                read->installables[s]->value.Assign(Units(values[random() % 7]).c_str());
            }
            std::vector<bool> start = Marks(*read);
            for (size_t k = 0; k < start.size(); ++k) {
                start[k] = random() % 2 == 0;
            }
            ASSERT_EQ("", CompareWithWalk(read.get(), start)) << "round " << round;
            const std::vector<bool> after = Marks(*read);
            for (size_t k = 0; k < start.size(); ++k) {
                marked += (after[k] && !start[k]) ? 1 : 0;
                cleared += (!after[k] && start[k]) ? 1 : 0;
            }
        }
    }
    // Set and cleared by the passes, not left from the random start.
    EXPECT_GT(marked, 300);
    EXPECT_GT(cleared, 3000);
}
