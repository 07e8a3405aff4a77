// Writes the code page tables of the Linux stand-ins from glibc's iconv
// mappings (CP1252, CP932), run at build time:
//   kx_codepage_gen OUTPUT.cpp
// Where glibc leaves a byte or character unmapped and the platform maps it
// anyway, the rules below fill the gap; any other gap fails the build, so a
// changed glibc table cannot slip through unnoticed.
#include <errno.h>
#include <iconv.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Mapping {
    uint16_t unicode;
    uint16_t bytes;  // a lead byte in the high half for double-byte characters
};

enum Result { kMapped, kIncomplete, kUnmapped };

// Converts all of `in`; kIncomplete when the input ends inside a character.
Result Convert(iconv_t cd, const std::string& in, std::string* out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    const size_t converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (converted == static_cast<size_t>(-1)) {
        return errno == EINVAL ? kIncomplete : kUnmapped;
    }
    if (converted != 0) {
        return kUnmapped;  // converted irreversibly: a transliteration
    }
    out->assign(buffer, static_cast<size_t>(outPtr - buffer));
    return kMapped;
}

std::string Utf16(uint16_t unit) {
    return std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

uint16_t SingleUnit(const std::string& utf16) {
    if (utf16.size() != 2) {
        return 0xFFFF;
    }
    return static_cast<uint16_t>(static_cast<unsigned char>(utf16[0]) | (static_cast<unsigned char>(utf16[1]) << 8));
}

bool IsSurrogate(unsigned u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

// The platform's own additions to the published 932 mapping.
// Single bytes: 0x80 stands for U+0080; 0xA0 and 0xFD-0xFF for the private
// use characters U+F8F0-U+F8F3.
uint16_t Cp932SingleByteRule(unsigned byte) {
    if (byte == 0x80) {
        return 0x0080;
    }
    if (byte == 0xA0) {
        return 0xF8F0;
    }
    if (byte >= 0xFD) {
        return static_cast<uint16_t>(0xF8F1 + (byte - 0xFD));
    }
    return 0;
}

// Lead bytes 0xF0-0xF9 are the user-defined area, laid onto U+E000-U+E757
// in order, 188 trail bytes (0x40-0x7E, 0x80-0xFC) per lead byte.
uint16_t Cp932UserDefinedRule(unsigned lead, unsigned trail) {
    if (lead < 0xF0 || lead > 0xF9 || trail < 0x40 || trail == 0x7F || trail > 0xFC) {
        return 0;
    }
    return static_cast<uint16_t>(0xE000 + (lead - 0xF0) * 188 + (trail - 0x40) - (trail > 0x7F ? 1 : 0));
}

void WriteArray(FILE* out, const char* declaration, const std::vector<uint16_t>& values) {
    fprintf(out, "%s = {", declaration);
    for (size_t i = 0; i < values.size(); ++i) {
        fprintf(out, "%s0x%04x,", i % 12 == 0 ? "\n    " : " ", values[i]);
    }
    fprintf(out, "\n};\n\n");
}

void WriteMappings(FILE* out, const char* name, const std::vector<Mapping>& mappings) {
    fprintf(out, "extern const KxCodeMapping %s[] = {", name);
    for (size_t i = 0; i < mappings.size(); ++i) {
        fprintf(out, "%s{0x%04x, 0x%04x},", i % 6 == 0 ? "\n    " : " ", mappings[i].unicode, mappings[i].bytes);
    }
    fprintf(out, "\n};\nextern const unsigned %sCount = %zu;\n\n", name, mappings.size());
}

uint16_t BytesValue(const std::string& bytes) {
    if (bytes.size() == 1) {
        return static_cast<unsigned char>(bytes[0]);
    }
    return static_cast<uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]));
}

// Unicode to bytes: glibc's mapping where the bytes convert back to the
// same character. glibc also maps some characters one way only (U+00A5 to
// 0x5C in 932, for one); the platform treats those as look-alikes, which the
// stand-ins do not substitute.
template <typename Forward>
bool ReverseMappings(const char* codePage, Forward forward, std::vector<Mapping>* strict) {
    iconv_t exact = iconv_open(codePage, "UTF-16LE");
    if (exact == reinterpret_cast<iconv_t>(-1)) {
        fprintf(stderr, "kx_codepage_gen: iconv has no %s\n", codePage);
        return false;
    }
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (IsSurrogate(u)) {
            continue;
        }
        std::string bytes;
        if (Convert(exact, Utf16(static_cast<uint16_t>(u)), &bytes) == kMapped && forward(bytes) == u) {
            strict->push_back({static_cast<uint16_t>(u), BytesValue(bytes)});
        }
    }
    iconv_close(exact);
    return true;
}

// Adds a rule's mapping unless glibc already has one for that character.
void AddRuleMapping(std::vector<Mapping>* strict, uint16_t unicode, uint16_t bytes) {
    for (const Mapping& m : *strict) {
        if (m.unicode == unicode) {
            return;
        }
    }
    strict->push_back({unicode, bytes});
}

void SortMappings(std::vector<Mapping>* mappings) {
    std::vector<Mapping>& m = *mappings;
    for (size_t i = 1; i < m.size(); ++i) {
        for (size_t j = i; j > 0 && m[j - 1].unicode > m[j].unicode; --j) {
            const Mapping t = m[j];
            m[j] = m[j - 1];
            m[j - 1] = t;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: kx_codepage_gen OUTPUT.cpp\n");
        return 2;
    }
    // 1252: one byte, one character. The five bytes glibc leaves undefined
    // (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same
    // value on the platform.
    iconv_t from1252 = iconv_open("UTF-16LE", "CP1252");
    iconv_t from932 = iconv_open("UTF-16LE", "CP932");
    if (from1252 == reinterpret_cast<iconv_t>(-1) || from932 == reinterpret_cast<iconv_t>(-1)) {
        fprintf(stderr, "kx_codepage_gen: iconv lacks CP1252 or CP932\n");
        return 1;
    }
    std::vector<uint16_t> cp1252(256);
    for (unsigned b = 0; b < 256; ++b) {
        std::string wide;
        if (Convert(from1252, std::string(1, static_cast<char>(b)), &wide) == kMapped) {
            cp1252[b] = SingleUnit(wide);
        } else if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            cp1252[b] = static_cast<uint16_t>(b);
        } else {
            fprintf(stderr, "kx_codepage_gen: CP1252 byte %02x has no mapping and no rule\n", b);
            return 1;
        }
    }

    // 932: single bytes, lead bytes, and every lead/trail pair. Pairs
    // without a character are 0 (the converter substitutes the default).
    std::vector<uint16_t> cp932Single(256);
    std::vector<uint16_t> cp932Lead(256);
    std::vector<uint16_t> cp932Double(256 * 256);
    for (unsigned b = 0; b < 256; ++b) {
        std::string wide;
        const Result result = Convert(from932, std::string(1, static_cast<char>(b)), &wide);
        if (result == kMapped) {
            cp932Single[b] = SingleUnit(wide);
        } else if (result == kIncomplete || (b >= 0xF0 && b <= 0xF9)) {
            cp932Lead[b] = 1;
        } else if (Cp932SingleByteRule(b) != 0) {
            cp932Single[b] = Cp932SingleByteRule(b);
        } else {
            fprintf(stderr, "kx_codepage_gen: CP932 byte %02x has no mapping and no rule\n", b);
            return 1;
        }
    }
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (!cp932Lead[lead]) {
            continue;
        }
        for (unsigned trail = 0; trail < 256; ++trail) {
            std::string wide;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            uint16_t unit = 0;
            if (Convert(from932, pair, &wide) == kMapped && SingleUnit(wide) != 0xFFFF) {
                unit = SingleUnit(wide);
            } else {
                unit = Cp932UserDefinedRule(lead, trail);
            }
            cp932Double[lead * 256 + trail] = unit;
        }
    }
    iconv_close(from1252);
    iconv_close(from932);

    // What a byte string reads as, or 0x10000 when it is not one character.
    auto read1252 = [&](const std::string& bytes) -> unsigned {
        return bytes.size() == 1 ? cp1252[static_cast<unsigned char>(bytes[0])] : 0x10000;
    };
    auto read932 = [&](const std::string& bytes) -> unsigned {
        const unsigned first = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 1 && !cp932Lead[first]) {
            return cp932Single[first];
        }
        if (bytes.size() == 2 && cp932Lead[first]) {
            const unsigned unit = cp932Double[first * 256 + static_cast<unsigned char>(bytes[1])];
            return unit != 0 ? unit : 0x10000;
        }
        return 0x10000;
    };
    std::vector<Mapping> strict1252, strict932;
    if (!ReverseMappings("CP1252", read1252, &strict1252) || !ReverseMappings("CP932", read932, &strict932)) {
        return 1;
    }
    // The rules' characters convert back to their bytes.
    for (unsigned b = 0; b < 256; ++b) {
        AddRuleMapping(&strict1252, cp1252[b], static_cast<uint16_t>(b));
        if (Cp932SingleByteRule(b) != 0) {
            AddRuleMapping(&strict932, Cp932SingleByteRule(b), static_cast<uint16_t>(b));
        }
    }
    for (unsigned lead = 0xF0; lead <= 0xF9; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (Cp932UserDefinedRule(lead, trail) != 0) {
                AddRuleMapping(&strict932, Cp932UserDefinedRule(lead, trail), static_cast<uint16_t>(lead << 8 | trail));
            }
        }
    }
    SortMappings(&strict1252);
    SortMappings(&strict932);

    FILE* out = fopen(argv[1], "w");
    if (out == nullptr) {
        fprintf(stderr, "kx_codepage_gen: cannot write %s\n", argv[1]);
        return 1;
    }
    fprintf(out, "// Generated by kx_codepage_gen from glibc's CP1252 and CP932; do not edit.\n");
    fprintf(out, "#include \"platform/linux/internal.h\"\n\nnamespace kxplat {\n\n");
    WriteArray(out, "extern const uint16_t kCp1252ToUnicode[256]", cp1252);
    WriteArray(out, "extern const uint16_t kCp932SingleToUnicode[256]", cp932Single);
    WriteArray(out, "extern const uint16_t kCp932IsLeadByte[256]", cp932Lead);
    WriteArray(out, "extern const uint16_t kCp932DoubleToUnicode[65536]", cp932Double);
    WriteMappings(out, "kCp1252FromUnicode", strict1252);
    WriteMappings(out, "kCp932FromUnicode", strict932);
    fprintf(out, "}  // namespace kxplat\n");
    return fclose(out) == 0 ? 0 : 1;
}
