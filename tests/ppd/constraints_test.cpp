// Installed values in the model, and the constraint pass.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_index.h"
#include "tests/support/ppd_test_util.h"

namespace {

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

namespace {

// A PPD of random features, options, groups and constraints over small
// pools of words, so that keywords repeat across features, installable
// settings and constraints, and option words are left out.
std::string RandomPpd(std::mt19937* random) {
    static const char* const keywords[] = {"*KXA", "*KXB", "*KXC", "*KXD", "*KXE"};
    static const char* const options[] = {"o1", "o2", "o3", ""};
    auto pick = [random](int n) { return static_cast<int>((*random)() % static_cast<unsigned>(n)); };
    std::string installable;
    std::string ppd;
    const int installables = pick(5);
    installable += "*OpenGroup: InstallableOptions\n";
    for (int i = 0; i < installables; ++i) {
        const std::string keyword = keywords[pick(5)];
        installable += "*OpenUI " + keyword + ": PickOne\n";
        if (pick(4) != 0) {
            installable += "*Default" + keyword.substr(1) + ": " + options[pick(3)] + "\n";
        }
        installable += keyword + " o1: \"\"\n" + keyword + " o2: \"\"\n*CloseUI: " + keyword + "\n";
    }
    installable += "*CloseGroup: InstallableOptions\n";
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
    // The installable group first or after the features, so that a decided
    // feature is sometimes the document's first.
    ppd = pick(2) == 0 ? installable + ppd : ppd + installable;
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

// Every lookup of the text index answers as the walk in file order: the
// first feature of a shared translation, the first and last setting of a
// shared keyword, and texts whose keys collide ("Tray wubnkg" and "Tray
// bksrmw" share their FNV-1a key).
TEST(TextIndex, AnswersAsTheWalkInFileOrder) {
    DocumentPtr document = ReadDocument(
        "*OpenGroup: InstallableOptions\n"
        "*OpenUI *KXA/Tray wubnkg: PickOne\n*DefaultKXA: One\n*CloseUI: *KXA\n"
        "*OpenUI *KXB/Tray bksrmw: PickOne\n*DefaultKXB: One\n*CloseUI: *KXB\n"
        "*OpenUI *KXA/Same: PickOne\n*DefaultKXA: Two\n*CloseUI: *KXA\n"
        "*CloseGroup: InstallableOptions\n"
        "*OpenUI *KXC/Same: PickOne\n*CloseUI: *KXC\n"
        "*OpenUI *KXB/Other: PickOne\n*CloseUI: *KXB\n");
    ASSERT_NE(nullptr, document);
    ASSERT_EQ(5, document->featureCount);
    ASSERT_NE(nullptr, document->textIndex);
    ASSERT_EQ(PpdTextKey(Units("Tray wubnkg").c_str()), PpdTextKey(Units("Tray bksrmw").c_str()));

    struct Answers {
        std::vector<const PpdFeature*> byTranslation;
        std::vector<int32_t> firstSetting;
        std::vector<int32_t> lastSetting;
        std::vector<std::vector<int32_t>> featuresNamed;
    };
    const char* const translations[] = {"Tray wubnkg", "Tray bksrmw", "Same", "Other", "Tray", ""};
    const char* const keywords[] = {"*KXA", "*KXB", "*KXC", "*KX", ""};
    auto answer = [&](const PpdDocument* read) {
        Answers answers;
        for (const char* name : translations) {
            answers.byTranslation.push_back(FindFeatureByTranslation(read, Units(name).c_str()));
        }
        for (const char* keyword : keywords) {
            PpdText text;
            text.AssignWide(Units(keyword).c_str());
            answers.firstSetting.push_back(FindFirstInstallable(read, text.chars));
            answers.lastSetting.push_back(FindLastInstallable(read, text));
            std::vector<int32_t> named;
            ForEachFeatureNamed(read, text, [&](int32_t f) { named.push_back(f); });
            answers.featuresNamed.push_back(named);
        }
        return answers;
    };
    const Answers indexed = answer(document.get());
    PpdTextIndex* index = document->textIndex;
    document->textIndex = nullptr;  // the walk
    const Answers walked = answer(document.get());
    document->textIndex = index;
    EXPECT_EQ(walked.byTranslation, indexed.byTranslation);
    EXPECT_EQ(walked.firstSetting, indexed.firstSetting);
    EXPECT_EQ(walked.lastSetting, indexed.lastSetting);
    EXPECT_EQ(walked.featuresNamed, indexed.featuresNamed);
    // What the walk itself answers, so that both cannot be wrong alike.
    EXPECT_EQ(document->features[2], indexed.byTranslation[2]);
    EXPECT_EQ((std::vector<int32_t>{0, 1, -1, -1, -1}), indexed.firstSetting);
    EXPECT_EQ((std::vector<int32_t>{2, 1, -1, -1, -1}), indexed.lastSetting);
    EXPECT_EQ((std::vector<int32_t>{1, 4}), indexed.featuresNamed[1]);
}
