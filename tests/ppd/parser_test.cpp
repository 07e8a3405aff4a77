// The statement parser and the document it builds.
#include <gtest/gtest.h>
#include <string.h>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_document.h"
#include "tests/support/ppd_test_util.h"

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string Features(const PpdDocument& document) {
    std::string out;
    for (int32_t i = 0; i < document.featureCount; ++i) {
        out += "[" + Printable(document.features[i]->keyword) + "]";
    }
    return out;
}

std::string Constraints(const PpdDocument& document) {
    std::string out;
    for (int32_t i = 0; i < document.constraintCount; ++i) {
        const PpdConstraint& c = *document.constraints[i];
        out += "[" + Printable(c.keyword1) + "|" + Printable(c.option1) + "|" + Printable(c.keyword2) + "|" +
               Printable(c.option2) + "]";
    }
    return out;
}

std::string Options(const PpdFeature& feature) {
    std::string out;
    for (int32_t i = 0; i < feature.optionCount; ++i) {
        out += "[" + Printable(feature.options[i]->keyword) + "/" + Printable(feature.options[i]->translation) + "]";
    }
    return out;
}

DocumentPtr ReadModelFixture() {
    DocumentPtr document = ReadDocumentFile(FixturePath("model.ppd"));
    EXPECT_NE(nullptr, document) << FixturePath("model.ppd");
    return document;
}

}  // namespace

TEST(Parser, ModelFixture_HeaderTexts) {
    DocumentPtr document = ReadModelFixture();
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_EQ("KX Colour 200", Printable(document->modelName));
    EXPECT_EQ("(KX Colour 200)", Printable(document->product));
    EXPECT_EQ("KX Test Works", Printable(document->manufacturer));
    EXPECT_EQ("ISOLatin1", Printable(document->languageEncoding));
    EXPECT_EQ("English", Printable(document->languageVersion));
}

TEST(Parser, ModelFixture_Features) {
    DocumentPtr document = ReadModelFixture();
    ASSERT_NE(nullptr, document);
    struct Row {
        const char* keyword;
        const char* translation;
        const char* defaultOption;
        const char* groupKeyword;
        const char* groupTranslation;
        int32_t uiType;
        const char* options;
    };
    const Row rows[] = {
        {"*KXRendering", "Colour Rendering", "Vivid", "", "", kPpdUiPickOne,
         "[Vivid/Vivid Colours][Natural/Natural Tones]"},
        {"*PageSize", "Page Size", "A4", "General", "General Settings", kPpdUiPickOne,
         "[A4/A4][Letter/US Letter][Legal/Legal]"},
        {"*KXFinish", "Finishing", "", "General", "General Settings", kPpdUiPickMany, "[Staple/Staple]"},
        {"*KXToner", "Toner Save", "True", "General", "General Settings", kPpdUiBoolean, "[True/On][False/Off]"},
        {"*KXOdd", "KXOdd", "", "General", "General Settings", kPpdUiPickOne, ""},
        {"*KXTrayUnit", "Tray Unit", "One", "InstallableOptions", "Options Installed", kPpdUiPickOne,
         "[One/One Tray][Two/Two Trays]"},
        {"*KXDuplexOption", "Duplex Unit", "", "InstallableOptions", "Options Installed", kPpdUiBoolean,
         "[True/Installed][False/Not Installed]"},
        {"*KXExtra", "KXExtra", "", "Extras", "Extras", kPpdUiPickOne, ""},
        {"*KXInner", "KXInner", "", "Inner", "Inner Group", kPpdUiPickOne, ""},
        {"*KXAfter", "After Groups", "", "", "", kPpdUiPickOne, ""},
    };
    ASSERT_EQ(static_cast<int32_t>(sizeof(rows) / sizeof(rows[0])), document->featureCount) << Features(*document);
    for (int32_t i = 0; i < document->featureCount; ++i) {
        const Row& row = rows[i];
        const PpdFeature& feature = *document->features[i];
        SCOPED_TRACE(row.keyword);
        EXPECT_EQ(row.keyword, Printable(feature.keyword));
        EXPECT_EQ(row.translation, Printable(feature.translation));
        EXPECT_EQ(row.defaultOption, Printable(feature.defaultOption));
        EXPECT_EQ(row.groupKeyword, Printable(feature.groupKeyword));
        EXPECT_EQ(row.groupTranslation, Printable(feature.groupTranslation));
        EXPECT_EQ(row.uiType, feature.uiType);
        EXPECT_EQ(row.options, Options(feature));
        EXPECT_NE(nullptr, feature.options) << "every feature gets its options array";
        for (int32_t j = 0; j < feature.optionCount; ++j) {
            EXPECT_FALSE(feature.options[j]->constrained);
        }
    }
    EXPECT_EQ(10, document->features[0]->orderDependency) << "10.5 gives its integer part";
    EXPECT_EQ(30, document->features[1]->orderDependency);
}

TEST(Parser, ModelFixture_PageSizeBlock) {
    DocumentPtr document = ReadModelFixture();
    ASSERT_NE(nullptr, document);
    const PpdFeature* pageSize = FindFeature(*document, "*PageSize");
    ASSERT_NE(nullptr, pageSize);
    EXPECT_EQ("save currentpagedevice /PageSize get == restore", Printable(pageSize->queryCode));
    EXPECT_EQ(nullptr, document->features[0]->queryCode);
    ASSERT_EQ(3, pageSize->optionCount);
    EXPECT_EQ("<</PageSize [595 842]>> setpagedevice", Printable(pageSize->options[0]->invocation));
    EXPECT_EQ("<</PageSize [612 792]>>\\u000Asetpagedevice", Printable(pageSize->options[1]->invocation));
    EXPECT_EQ("<</PageSize [612 1008]>> setpagedevice", Printable(pageSize->options[2]->invocation));
    EXPECT_EQ("", Printable(FindFeature(*document, "*KXFinish")->options[0]->invocation)) << "empty, not null";
    EXPECT_NE(nullptr, FindFeature(*document, "*KXFinish")->options[0]->invocation);
}

TEST(Parser, ModelFixture_InstallablesAndConstraints) {
    DocumentPtr document = ReadModelFixture();
    ASSERT_NE(nullptr, document);
    ASSERT_EQ(2, document->installableCount);
    EXPECT_EQ("*KXTrayUnit", Printable(document->installables[0]->keyword));
    EXPECT_EQ("One", Printable(document->installables[0]->value));
    EXPECT_EQ("*KXDuplexOption", Printable(document->installables[1]->keyword));
    EXPECT_EQ("", Printable(document->installables[1]->value)) << "no *Default line: empty value";
    // *JCLOpenUI blocks and *NonUIConstraints are not read.
    EXPECT_EQ("[*KXTrayUnit|One|*InputSlot|Lower][*KXDuplexOption|False|*Duplex|DuplexNoTumble]",
              Constraints(*document));
}

TEST(Parser, MendedFixture_SlashesQuotesAndShortConstraints) {
    DocumentPtr document = ReadDocumentFile(FixturePath("mended.ppd"));
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_EQ("[*FaceOfOutput][*MediaType][*PageSize][*KXLast]", Features(*document));
    ASSERT_EQ(4, document->featureCount);

    const PpdFeature& face = *document->features[0];
    EXPECT_EQ("Face Up/Down", Printable(face.translation));
    EXPECT_EQ("[Up/Face Up][Down/Face Down/Reversed]", Options(face));
    const PpdFeature& media = *document->features[1];
    EXPECT_EQ("Plain/Heavy", Printable(media.defaultOption)) << "a *Default value keeps its slash";
    EXPECT_EQ("[Plain/Plain (52 - 105 g/m2)][Heavy/Heavy (106 - 163 g/m2)]", Options(media));
    const PpdFeature& pageSize = *document->features[2];
    EXPECT_EQ("[Ledger/Ledger (11 x 17\")][Tabloid/11\"x17\" Tabloid]", Options(pageSize));
    EXPECT_EQ("<</PageSize [792 1224]>> setpagedevice", Printable(pageSize.options[0]->invocation));
    EXPECT_EQ("[A/A]", Options(*document->features[3]));

    const char* expected[] = {
        "*KXDuplexOption||*Duplex|Tumble",  "*KXTrayUnit|Two|*InputSlot|",      "*KXTrayUnit||*InputSlot|",
        "*KXTrayUnit|Two|*InputSlot|Tray2", "*Duplex *KXDuplexOption False|||", "*KXTrayUnit|One||",
        "*KXTrayUnit|Two|*InputSlot|",      "*KXTrayUnit|Two|*KXToner|True",    "*KXTrayUnit|Two|*InputSlot|Tray4",
    };
    std::string want;
    for (const char* row : expected) {
        want += std::string("[") + row + "]";
    }
    EXPECT_EQ(want, Constraints(*document));
}

TEST(Parser, KeywordAndTranslationSplitting) {
    struct Row {
        const char* token;        // between "*OpenUI " and ": PickOne"
        const char* keyword;      //
        const char* translation;  // under code page 1252
        const char* translation932;
    };
    const Row rows[] = {
        {"*KXPlain", "*KXPlain", "KXPlain", nullptr},
        {"*KXT/Two Words", "*KXT", "Two Words", nullptr},
        {"*KXT/Trailing  ", "*KXT", "Trailing  ", nullptr},
        {"*FaceOfOutput/Face Up/Down", "*FaceOfOutput", "Face Up/Down", nullptr},
        {"*KXT/A/B/C", "*KXT", "A/B/C", nullptr},
        {"*KXT/", "*KXT", "", nullptr},
        {"/Only", "Only", "Only", nullptr},
        {"/*Star", "*Star", "Star", nullptr},
        {"*KXT/*Star", "*KXT", "Star", nullptr},
        {"*KXQ/Ledger (11 x 17\")", "*KXQ", "Ledger (11 x 17\")", nullptr},
        {"*KXHex/<4B58> <4b>x", "*KXHex", "KX Kx", nullptr},
        {"*KXHex/<4B5>", "*KXHex", "K", nullptr},
        {"*KXHex/<4B5>Z<5>", "*KXHex", "KZ", nullptr},
        {"*KXHex/A<00>B", "*KXHex", "A", nullptr},
        {"*KXHex/<zz>Q", "*KXHex", "", nullptr},
        {"*KXHex/<4 1>", "*KXHex", "\\u0004", nullptr},
        {"*KXHex/< 41>", "*KXHex", "\\u0004", nullptr},
        {"*KXHex/<41", "*KXHex", "A", nullptr},
        {"*KXHex/<2F>", "*KXHex", "/", nullptr},
        {"*KX<41>/T", "*KXA", "T", nullptr},
        {"*KXHex/<C0>", "*KXHex", "\\u00C0", "\\uFF80"},
        {"*KXHex/<82A0>", "*KXHex", "\\u201A\\u00A0", "\\u3042"},
        {"*KXRaw/\x82\xA0\xB1", "*KXRaw", "\\u201A\\u00A0\\u00B1", "\\u3042\\uFF71"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.token);
        DocumentPtr document = ReadDocument(std::string("*OpenUI ") + row.token + ": PickOne\n*CloseUI: *X\n");
        ASSERT_NE(nullptr, document);
        ASSERT_EQ(1, document->featureCount);
        EXPECT_EQ(row.keyword, Printable(document->features[0]->keyword));
        const char* translation =
            (IsDoubleByteCodePage() && row.translation932 != nullptr) ? row.translation932 : row.translation;
        EXPECT_EQ(translation, Printable(document->features[0]->translation));
    }
}

TEST(Parser, OptionLinesUseTheSameSplitting) {
    DocumentPtr document = ReadDocument(
        "*OpenUI *KXF/F: PickOne\n"
        "*KXF A/B/C: \"1\"\n"
        "*KXF /Only: \"2\"\n"
        "*KXF *Star: \"3\"\n"
        "*KXF Q/<51>\"Q\": \"4\"\n"
        "*CloseUI: *KXF\n");
    ASSERT_NE(nullptr, document);
    ASSERT_EQ(1, document->featureCount);
    EXPECT_EQ("[A/B/C][Only/Only][*Star/Star][Q/Q\"Q\"]", Options(*document->features[0]));
}

TEST(Parser, SeparatorsAndLineEnds) {
    // NUL and FF separate tokens like a space; with allowBlanks they still
    // end a keyword/translation token.
    DocumentPtr document =
        ReadDocument(std::string("*OpenUI\f*KXF/Trans Lation:\0PickOne\r\n*KXF\0A/Al pha:\f\"x\"\r\n*CloseUI:\f*KXF\r\n"
                                 "*ModelName:\0\"M\"\r\n",
                                 86));
    ASSERT_NE(nullptr, document);
    ASSERT_EQ(1, document->featureCount);
    EXPECT_EQ("Trans Lation", Printable(document->features[0]->translation));
    EXPECT_EQ("[A/Al pha]", Options(*document->features[0]));
    EXPECT_EQ("M", Printable(document->modelName));
}

TEST(Parser, CrLfFileReadsLikeTheLfFile) {
    const std::string lf = ReadFileBytes(FixturePath("model.ppd"));
    ASSERT_FALSE(lf.empty());
    ASSERT_EQ(std::string::npos, lf.find('\r'));
    const std::string crlf = ReplaceAll(lf, "\n", "\r\n");
    DocumentPtr fromLf = ReadDocument(lf);
    DocumentPtr fromCrLf = ReadDocument(crlf);
    ASSERT_NE(nullptr, fromLf);
    ASSERT_NE(nullptr, fromCrLf);
    // Read as bytes, only the quoted value across lines keeps its CR.
    EXPECT_EQ(Describe(*fromLf), ReplaceAll(Describe(*fromCrLf), "\\u000D\\u000A", "\\u000A"));
    EXPECT_NE(Describe(*fromLf), Describe(*fromCrLf));

    // Opened the way the plug-in opens it (text mode), CR LF arrives as LF.
    const ScratchFile file(ScratchName("kx_ppd_crlf", ".ppd"));
    ASSERT_TRUE(file.Write(crlf));
    DocumentPtr textMode = ReadDocumentFile(file.Name());
    ASSERT_NE(nullptr, textMode);
    EXPECT_EQ(Describe(*fromLf), Describe(*textMode));
}

TEST(Parser, SecondQueryLineEndsTheWholeParse) {
    DocumentPtr document = ReadDocument(
        "*OpenUI *KXA: PickOne\n"
        "*?KXA: \"first\"\n"
        "*KXA One: \"1\"\n"
        "*?KXA: \"second\"\n"
        "*KXA Two: \"2\"\n"
        "*CloseUI: *KXA\n"
        "*OpenUI *KXB: PickOne\n*CloseUI: *KXB\n"
        "*UIConstraints: *KXA One *KXB Two\n"
        "*ModelName: \"late\"\n");
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_EQ("[*KXA]", Features(*document));
    EXPECT_EQ("first", Printable(document->features[0]->queryCode));
    EXPECT_EQ("[One/One]", Options(*document->features[0]));
    EXPECT_EQ(0, document->constraintCount);
    EXPECT_EQ("", Printable(document->modelName));
}

TEST(Parser, BlockThatNeverClosesRunsToTheEnd) {
    DocumentPtr document = ReadDocument(
        "*OpenGroup: InstallableOptions\n"
        "*OpenUI *KXA: PickOne\n"
        "*DefaultKXA: One\n"
        "*KXA One: \"1\"\n"
        "*OpenUI *KXB: PickOne\n"
        "*KXB Two: \"2\"\n"
        "*UIConstraints: *KXB Two *KXC One\n"
        "*KXA Three: \"3\"\n");
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_EQ("[*KXA]", Features(*document));
    EXPECT_EQ("[One/One][Three/Three]", Options(*document->features[0]));
    EXPECT_EQ(0, document->installableCount) << "a cut block gets no installable setting";
    EXPECT_EQ(0, document->constraintCount);
}

TEST(Parser, CloseUIWithoutKeywordTakesTheNextToken) {
    DocumentPtr document = ReadDocument(
        "*OpenUI *KXA: PickOne\n"
        "*KXA One: \"1\"\n"
        "*CloseUI\n"
        "*OpenUI *KXB: PickOne\n"
        "*KXB Two: \"2\"\n"
        "*CloseUI: *KXB\n"
        "*OpenUI *KXC: PickOne\n"
        "*CloseUI: *KXC\n");
    ASSERT_NE(nullptr, document);
    // "*OpenUI" is consumed as the value; the rest of its block is dropped
    // token by token at the top level.
    EXPECT_EQ("[*KXA][*KXC]", Features(*document));
}

TEST(Parser, CutStatementsKeepWhatWasRead) {
    struct Row {
        const char* name;
        const char* input;
        const char* features;
        const char* options;  // of the last feature
        const char* constraints;
        const char* modelName;
    };
    const Row rows[] = {
        {"header without value keeps the earlier one", "*ModelName: \"A\"\n*ModelName:", "", "", "", "A"},
        {"constraint with two tokens", "*UIConstraints: *KXA One", "", "", "[*KXA|One||]", ""},
        {"constraint without tokens", "*UIConstraints:\n", "", "", "[|||]", ""},
        {"option line without value", "*OpenUI *KXA: PickOne\n*KXA One/Uno:", "[*KXA]", "[One/Uno]", "", ""},
        {"option line without keyword", "*OpenUI *KXA: PickOne\n*KXA", "[*KXA]", "[/]", "", ""},
        {"open without type", "*OpenUI *KXA/Alpha:", "[*KXA]", "", "", ""},
        {"open without keyword", "*OpenUI", "[]", "", "", ""},
        {"order dependency cut", "*OpenUI *KXA: PickOne\n*OrderDependency: 10 AnySetup", "[*KXA]", "", "", ""},
        {"close without keyword at the end", "*OpenUI *KXA: PickOne\n*CloseUI:", "[*KXA]", "", "", ""},
        {"query without value", "*OpenUI *KXA: PickOne\n*?KXA:", "[*KXA]", "", "", ""},
        {"default without value", "*OpenUI *KXA: PickOne\n*DefaultKXA:", "[*KXA]", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentPtr document = ReadDocument(row.input);
        ASSERT_NE(nullptr, document);
        EXPECT_EQ("", CheckConsistent(*document));
        EXPECT_EQ(row.features, Features(*document));
        if (document->featureCount > 0) {
            const PpdFeature& last = *document->features[document->featureCount - 1];
            EXPECT_EQ(row.options, Options(last));
            for (int32_t i = 0; i < last.optionCount; ++i) {
                EXPECT_EQ(nullptr, last.options[i]->invocation) << "a cut option line has no invocation";
            }
        }
        EXPECT_EQ(row.constraints, Constraints(*document));
        EXPECT_EQ(row.modelName, Printable(document->modelName));
    }
}

TEST(Parser, ConstraintTakesTokensOfTheFollowingLine) {
    DocumentPtr document = ReadDocument(
        "*UIConstraints: *KXA One\n"
        "*KXB Two\n"
        "*UIConstraints: *KXA\n"
        "One *KXB\n"
        "Two *UIConstraints: *KXC *KXD\n");
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("[*KXA|One|*KXB|Two][*KXA|One|*KXB|Two][*KXC||*KXD|]", Constraints(*document));
}

TEST(Parser, StatementKeywordsInConstraintSlotsEndTheStatement) {
    // Every slot, and every kind of statement keyword, ends the statement;
    // the keyword is then read as its own statement.
    const char* slotsBefore[] = {"", "*KXA ", "*KXA One ", "*KXA One *KXB "};
    const char* expected[] = {"[|||]", "[*KXA|||]", "[*KXA|One||]", "[*KXA|One|*KXB|]"};
    for (size_t slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE(slotsBefore[slot]);
        DocumentPtr document = ReadDocument(std::string("*UIConstraints: ") + slotsBefore[slot] +
                                            "\n*ModelName: \"M\"\n*OpenUI *KXC/C: PickOne\n*CloseUI: *KXC\n");
        ASSERT_NE(nullptr, document);
        EXPECT_EQ(expected[slot], Constraints(*document));
        EXPECT_EQ("M", Printable(document->modelName));
        EXPECT_EQ("[*KXC]", Features(*document));
    }
}

TEST(Parser, EmptyAndNullStreamsGiveEmptyDocuments) {
    DocumentPtr empty = ReadDocument("");
    ASSERT_NE(nullptr, empty);
    DocumentPtr onlyComments = ReadDocument("*% nothing\n% here\n\n");
    ASSERT_NE(nullptr, onlyComments);
    DocumentPtr null(new (std::nothrow) PpdDocument(nullptr));
    ASSERT_NE(nullptr, null);
    for (const PpdDocument* document : {empty.get(), onlyComments.get(), null.get()}) {
        EXPECT_EQ("", CheckConsistent(*document));
        EXPECT_EQ(0, document->featureCount);
        EXPECT_EQ(0, document->constraintCount);
        EXPECT_EQ(0, document->installableCount);
        EXPECT_NE(nullptr, document->features);
        EXPECT_NE(nullptr, document->constraints);
        EXPECT_NE(nullptr, document->installables);
        EXPECT_EQ(0, document->modelName.length);
        EXPECT_EQ(0, document->languageVersion.chars[0]);
    }
}

TEST(Parser, ArraysGrowPastTheirFirstCapacities) {
    // 70 features (past 32 and 64), 40 of them installable (past 32), one
    // with 130 options (past 64 and 128), 1,100 constraints (past 512, 1024).
    std::string ppd = "*OpenGroup: InstallableOptions\n";
    for (int i = 0; i < 40; ++i) {
        ppd += "*OpenUI *KXI" + std::to_string(i) + ": Boolean\n*DefaultKXI" + std::to_string(i) + ": V" +
               std::to_string(i) + "\n*CloseUI: *KXI" + std::to_string(i) + "\n";
    }
    ppd += "*CloseGroup: InstallableOptions\n*OpenUI *KXMany: PickOne\n";
    for (int i = 0; i < 130; ++i) {
        ppd += "*KXMany O" + std::to_string(i) + ": \"" + std::to_string(i) + "\"\n";
    }
    ppd += "*CloseUI: *KXMany\n";
    for (int i = 0; i < 29; ++i) {
        ppd += "*OpenUI *KXF" + std::to_string(i) + ": PickOne\n*CloseUI: *KXF" + std::to_string(i) + "\n";
    }
    for (int i = 0; i < 1100; ++i) {
        ppd += "*UIConstraints: *KXI" + std::to_string(i % 40) + " V" + std::to_string(i % 40) + " *KXMany O" +
               std::to_string(i % 130) + "\n";
    }
    DocumentPtr document = ReadDocument(ppd);
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    ASSERT_EQ(70, document->featureCount);
    ASSERT_EQ(40, document->installableCount);
    ASSERT_EQ(1100, document->constraintCount);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ("*KXI" + std::to_string(i), Printable(document->features[i]->keyword));
        EXPECT_EQ("V" + std::to_string(i), Printable(document->installables[i]->value));
    }
    const PpdFeature& many = *document->features[40];
    ASSERT_EQ(130, many.optionCount);
    for (int i = 0; i < 130; ++i) {
        EXPECT_EQ("O" + std::to_string(i), Printable(many.options[i]->keyword));
        EXPECT_EQ(std::to_string(i), Printable(many.options[i]->invocation));
        // Every setting is tied to *KXMany, so the last one, *KXI39,
        // decides: it forbids the options of the constraints i with
        // i % 40 == 39.
        bool forbidden = false;
        for (int c = 39; c < 1100; c += 40) {
            forbidden = forbidden || c % 130 == i;
        }
        EXPECT_EQ(forbidden, many.options[i]->constrained) << "option " << i;
    }
    EXPECT_EQ("*KXF28", Printable(document->features[69]->keyword));
    EXPECT_EQ("*KXI19", Printable(document->constraints[1099]->keyword1));
    EXPECT_EQ("O59", Printable(document->constraints[1099]->option2));
}

TEST(Parser, TokenCapacityThroughTheDocument) {
    const std::string full(kPpdTokenCapacity - 1, 'x');
    struct Row {
        const char* name;
        std::string value;  // the option's value as written
        size_t invocationLength;
        const char* nextOptions;  // options read after the long one
    };
    const Row rows[] = {
        {"quoted, exactly full", "\"" + full + "\"", full.size(), "[Big/Big][After/After]"},
        {"bare, exactly full", full, full.size(), "[Big/Big][After/After]"},
        // One byte over: the byte is dropped, and the closing quote opens a
        // quoted token that swallows the next line.
        {"quoted, one over", "\"" + full + "y\"", full.size(), "[Big/Big][Later/Later]"},
        {"bare, one over", full + "y", full.size(), "[Big/Big][After/After]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentPtr document = ReadDocument("*OpenUI *KXF: PickOne\n*KXF Big: " + row.value +
                                            "\n*KXF After: \"a\"\n*KXF Later: \"b\"\n*CloseUI: *KXF\n");
        ASSERT_NE(nullptr, document);
        ASSERT_EQ(1, document->featureCount);
        const PpdFeature& feature = *document->features[0];
        EXPECT_EQ(row.nextOptions, Options(feature).substr(0, strlen(row.nextOptions)));
        ASSERT_GE(feature.optionCount, 1);
        ASSERT_NE(nullptr, feature.options[0]->invocation);
        const WideString invocation(feature.options[0]->invocation);
        EXPECT_EQ(row.invocationLength, invocation.size());
        EXPECT_EQ(WideString::npos, invocation.find_first_not_of(static_cast<WCHAR>('x')));
    }
}

TEST(Parser, SegmentKeepsItsFirst263UnitsAndNoLoneLeadByte) {
    // Under code page 932 a double-byte pair is one unit of text, so a full
    // segment still fits a text and its cut shows; under 1252 the text's own
    // limit of 259 comes first. A cut through a pair drops its lead byte too.
    // 0x82 0x82 is a pair whose trail byte is also a lead byte.
    auto repeat = [](const std::string& unit, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += unit;
        }
        return out;
    };
    const int fullPairs = (kPpdSegmentCapacity - 1) / 2;  // 131, and one unit left
    const std::string a = repeat("\x82\xA0", fullPairs);  // "\u3042" each under 932
    const std::string b = repeat("\x82\x82", fullPairs);  // "\uFF42" each under 932
    struct Row {
        const char* name;
        std::string translation;
        std::string expected932;
    };
    const Row rows[] = {
        {"exactly full", a + "A", repeat("\\u3042", fullPairs) + "A"},
        {"one over", a + "AB", repeat("\\u3042", fullPairs) + "A"},
        {"one over, then a pair", a + "A\x82\xA0", repeat("\\u3042", fullPairs) + "A"},
        {"full through hex escapes", a + "<41><42>", repeat("\\u3042", fullPairs) + "A"},
        {"cut through a pair", a + "\x82\xA0", repeat("\\u3042", fullPairs)},
        {"cut through a pair of hex escapes, more after it", "<" + repeat("82A0", fullPairs + 3) + ">",
         repeat("\\u3042", fullPairs)},
        {"cut through a pair whose trail is a lead byte", b + "\x82\x82", repeat("\\uFF42", fullPairs)},
        {"trail bytes in the lead range up to the cut", "A" + b + "\x82\x82", "A" + repeat("\\uFF42", fullPairs)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentPtr document = ReadDocument("*OpenUI *KXS/" + row.translation + ": PickOne\n*CloseUI: *KXS\n");
        ASSERT_NE(nullptr, document);
        ASSERT_EQ(1, document->featureCount);
        const PpdText& translation = document->features[0]->translation;
        if (IsDoubleByteCodePage()) {
            EXPECT_EQ(row.expected932, Printable(translation));
        } else {
            EXPECT_EQ(kPpdTextCapacity - 1, translation.length);
        }
    }
}

TEST(Parser, AllocationFailureLeavesAConsistentPrefix) {
    // Past every first capacity, so that each kind of growth can fail too;
    // short words, since the file is read once per allocation.
    std::string ppd = "*ModelName: M\n*OpenGroup: InstallableOptions\n";
    for (int i = 0; i < 33; ++i) {
        const std::string n = std::to_string(i);
        ppd += "*OpenUI *I" + n + ": Boolean\n*?I" + n + ": q\n*DefaultI" + n + ": F\n*I" + n + " F: f\n*CloseUI: *I" +
               n + "\n";
    }
    ppd += "*CloseGroup: InstallableOptions\n*OpenUI *M: PickOne\n";
    for (int i = 0; i < 65; ++i) {
        ppd += "*M O" + std::to_string(i) + ": " + std::to_string(i) + "\n";
    }
    ppd += "*CloseUI: *M\n";
    for (int i = 0; i < 513; ++i) {
        ppd += "*UIConstraints: *I" + std::to_string(i % 33) + " F *M O" + std::to_string(i % 65) + "\n";
    }
    FILE* stream = StreamOf(ppd);
    ASSERT_NE(nullptr, stream);
    const int64_t baseline = PpdLiveAllocations();
    PpdFailAllocation(-1);
    DocumentPtr full(new (std::nothrow) PpdDocument(stream));
    ASSERT_NE(nullptr, full);
    ASSERT_EQ(34, full->featureCount);
    ASSERT_EQ(513, full->constraintCount);
    ASSERT_NE(nullptr, full->constraintIndex);
    const int64_t allocations = PpdAllocationAttempts();
    const int64_t fullLive = PpdLiveAllocations() - baseline;

    int64_t failures = 0;
    for (int64_t n = 0;; ++n) {
        rewind(stream);
        PpdFailAllocation(n);
        DocumentPtr document(new (std::nothrow) PpdDocument(stream));
        const bool failed = PpdAllocationAttempts() > n;
        PpdFailAllocation(-1);
        ASSERT_NE(nullptr, document);
        SCOPED_TRACE(testing::Message() << "allocation " << n << " of " << allocations << " failed");
        ASSERT_EQ("", CheckConsistent(*document));
        // What was read is what the full document holds, up to where the
        // failure stopped the parse: only the last feature read may lack its
        // keyword or its last options, and the last option its invocation.
        ASSERT_LE(document->featureCount, full->featureCount);
        for (int32_t f = 0; f < document->featureCount; ++f) {
            const PpdFeature& got = *document->features[f];
            const PpdFeature& want = *full->features[f];
            const bool last = f == document->featureCount - 1;
            if (!last || got.keyword.length > 0) {
                ASSERT_TRUE(got.keyword.Equals(want.keyword)) << Printable(got.keyword);
            }
            ASSERT_TRUE(last ? got.optionCount <= want.optionCount : got.optionCount == want.optionCount);
            for (int32_t o = 0; o < got.optionCount; ++o) {
                ASSERT_TRUE(got.options[o]->keyword.Equals(want.options[o]->keyword));
                if (got.options[o]->invocation == nullptr) {
                    ASSERT_TRUE(last && o == got.optionCount - 1) << "option " << o;
                }
            }
        }
        ASSERT_LE(document->constraintCount, full->constraintCount);
        for (int32_t c = 0; c < document->constraintCount; ++c) {
            ASSERT_TRUE(document->constraints[c]->option2.Equals(full->constraints[c]->option2));
        }
        ASSERT_LE(document->installableCount, full->installableCount);
        // The marks are those of the walk, with or without the index. The
        // walk is slow, so it checks every 16th failure and the last ones,
        // which are those of the index.
        if (n % 16 == 0 || n >= allocations - 8) {
            const std::vector<bool> marks = Marks(*document);
            SetMarks(document.get(), std::vector<bool>(marks.size(), false));
            EvaluateConstraintsByWalk(document.get());
            ASSERT_EQ(marks, Marks(*document));
        }
        document.reset();
        ASSERT_EQ(baseline + fullLive, PpdLiveAllocations()) << "a partial document leaks";
        if (!failed) {
            break;
        }
        ++failures;
    }
    fclose(stream);
    EXPECT_EQ(allocations, failures) << "every allocation failed once";
    full.reset();
    EXPECT_EQ(baseline, PpdLiveAllocations()) << "nothing left behind";
}
