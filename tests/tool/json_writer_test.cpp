// The JSON writer of kxpsui-host --json: string escaping, from UTF-8 and
// from UTF-16, and the layout (the reports themselves are parsed by the
// command's tests).
#include <gtest/gtest.h>

#include <string>

#include "host/common/json_writer.h"

namespace {

const char kFffd[] = "\xEF\xBF\xBD";

struct QuoteRow {
    const char* what;
    std::string input;
    std::string expected;  // the literal, quotes included
};

std::string Literal(const std::string& body) {
    return "\"" + body + "\"";
}

}  // namespace

TEST(JsonQuote, Utf8Input_EscapesWhatJsonRequiresAndReplacesWhatIsNotUtf8) {
    const std::string f = kFffd;
    const QuoteRow rows[] = {
        {"plain ASCII", "Page Size", Literal("Page Size")},
        {"empty", "", Literal("")},
        {"quote and backslash", "8.5\" x 11\\", Literal("8.5\\\" x 11\\\\")},
        {"short escapes", "\b\f\n\r\t", Literal("\\b\\f\\n\\r\\t")},
        {"other controls", std::string("\x01\x1f\x7f", 3), Literal("\\u0001\\u001f\\u007f")},
        {"NUL inside", std::string("a\0b", 3), Literal("a\\u0000b")},
        {"slash stays", "a/b", Literal("a/b")},
        {"two-byte", "\xC3\xA9", Literal("\xC3\xA9")},
        {"three-byte", "\xE6\x97\xA5", Literal("\xE6\x97\xA5")},
        {"four-byte", "\xF0\x9F\x98\x80", Literal("\xF0\x9F\x98\x80")},
        {"highest code point", "\xF4\x8F\xBF\xBF", Literal("\xF4\x8F\xBF\xBF")},
        {"lone continuation", "a\x80z", Literal("a" + f + "z")},
        {"Latin-1 byte", "caf\xE9", Literal("caf" + f)},
        {"overlong slash", "\xC0\xAF", Literal(f + f)},
        {"overlong three-byte", "\xE0\x80\xAF", Literal(f + f + f)},
        {"encoded surrogate", "\xED\xA0\x80", Literal(f + f + f)},
        {"above U+10FFFF", "\xF4\x90\x80\x80", Literal(f + f + f + f)},
        {"lead byte F5", "\xF5\x80", Literal(f + f)},
        {"truncated at the end", "\xE6\x97", Literal(f)},
        {"truncated before ASCII", std::string("\xE6\x97") + "A", Literal(f + "A")},
        {"truncated four-byte", std::string("\xF0\x9F\x98") + "\"", Literal(f + "\\\"")},
    };
    for (const QuoteRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.expected, JsonQuote(row.input));
    }
}

TEST(JsonQuote, Utf16Input_PairsBecomeOneCharacterAndLoneSurrogatesFffd) {
    const std::string f = kFffd;
    struct Row {
        const char* what;
        std::u16string input;
        std::string expected;
    } rows[] = {
        {"ASCII", u"Tray1", Literal("Tray1")},
        {"control", std::u16string(u"a\u0001b"), Literal("a\\u0001b")},
        {"quote", u"a\"b", Literal("a\\\"b")},
        {"BMP", u"\u00E9\u30FB", Literal("\xC3\xA9\xE3\x83\xBB")},
        {"pair", u"\xD83D\xDE00", Literal("\xF0\x9F\x98\x80")},
        {"high at the end", u"a\xD83D", Literal("a" + f)},
        {"high before ASCII", std::u16string(u"\xD83D") + u"A", Literal(f + "A")},
        {"low alone", std::u16string(u"\xDE00") + u"A", Literal(f + "A")},
        {"low then high", u"\xDE00\xD83D", Literal(f + f)},
        {"two highs then a low", u"\xD83D\xD83D\xDE00", Literal(f + "\xF0\x9F\x98\x80")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.expected, JsonQuote(reinterpret_cast<const WCHAR*>(row.input.c_str())));
    }
    EXPECT_EQ(Literal(""), JsonQuote(static_cast<const WCHAR*>(nullptr)));
}

// Containers open on their own lines unless opened inline; inside an inline
// one everything stays on its line; an empty one closes at once.
TEST(JsonWriter, Layout_IndentedBlocksInlineRowsOneLineEnd) {
    JsonWriter json;
    json.BeginObject();
    json.Member("name", std::string("Rotate By 180\xC2\xB0"));
    json.IntMember("negative", -1);
    json.IntMember("large", 4294967295LL);
    json.BoolMember("yes", false);
    json.Key("nothing");
    json.Null();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("rows");
    json.BeginArray();
    for (int row = 0; row < 2; ++row) {
        json.BeginArray(true);
        json.Int(row);
        json.BeginObject();
        json.IntMember("deep", row * 10);
        json.EndObject();
        json.EndArray();
    }
    json.EndArray();
    json.EndObject();
    EXPECT_EQ(
        "{\n"
        "  \"name\": \"Rotate By 180\xC2\xB0\",\n"
        "  \"negative\": -1,\n"
        "  \"large\": 4294967295,\n"
        "  \"yes\": false,\n"
        "  \"nothing\": null,\n"
        "  \"empty\": [],\n"
        "  \"rows\": [\n"
        "    [0, {\"deep\": 0}],\n"
        "    [1, {\"deep\": 10}]\n"
        "  ]\n"
        "}\n",
        json.Text());
}
