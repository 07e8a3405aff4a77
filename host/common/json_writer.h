// A small JSON writer for kxpsui-host --json: two-space indentation, keys in
// the order written, texts as UTF-8. Its output is the same bytes on every
// build, which is what lets the Linux and Windows reports be compared.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "platform/platform.h"

class JsonWriter {
  public:
    // A container opened inline is written on one line, and so is everything
    // inside it (for short rows such as a constraint's four words).
    void BeginObject(bool inlined = false) { Open('{', inlined); }
    void EndObject() { Close(); }
    void BeginArray(bool inlined = false) { Open('[', inlined); }
    void EndArray() { Close(); }

    // The next member's name; inside an object, before each value.
    void Key(const char* name);

    void String(const std::string& utf8);
    void String(const WCHAR* utf16);  // zero-terminated
    void Int(int64_t value);
    void Bool(bool value);
    void Null();

    // Shorthands for one member.
    void Member(const char* name, const std::string& utf8) {
        Key(name);
        String(utf8);
    }
    void IntMember(const char* name, int64_t value) {
        Key(name);
        Int(value);
    }
    void BoolMember(const char* name, bool value) {
        Key(name);
        Bool(value);
    }

    // The document so far; after the outermost container closes it ends with
    // a line end.
    const std::string& Text() const { return text; }

  private:
    struct Level {
        char close;
        bool inlined;
        bool empty;
    };
    void Open(char open, bool inlined);
    void Close();
    void BeforeValue();
    void NewLine(size_t depth);

    std::string text;
    std::vector<Level> levels;
    bool afterKey = false;
};

// A JSON string literal, quotes included. Valid UTF-8 passes through; " \ and
// the short escapes are escaped; other control characters become \u00xx; a
// byte that does not start or continue a well-formed UTF-8 sequence (overlong
// forms and encoded surrogates included) becomes U+FFFD.
std::string JsonQuote(const std::string& utf8);
// The same from UTF-16, where an unpaired surrogate becomes U+FFFD.
std::string JsonQuote(const WCHAR* utf16);
