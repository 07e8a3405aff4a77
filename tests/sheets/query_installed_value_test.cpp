// QueryInstalledValue: the plug-in asking the driver for the current option
// of an installable feature, over the tests' driver interface.
#include <gtest/gtest.h>

#include "customize/constraints.h"
#include "customize/installed_options.h"
#include "host/driver/driver_ui.h"
#include "tests/support/ppd_test_util.h"

namespace {

const WCHAR kPoisonUnit = 0xBEEF;

}  // namespace

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
    // The name and its NUL exactly fill the 260-byte buffer; one byte more
    // fails.
    for (int32_t extra = 0; extra < 2; ++extra) {
        SCOPED_TRACE(extra == 0 ? "exactly full" : "one over");
        host.queries.clear();
        const WideString name = Units("*" + std::string(259 + extra, 'k'));
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
