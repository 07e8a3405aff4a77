// The check's view of the bytes: the text-mode stream the reader's tokenizer
// sees, its tokens with the line each starts on, and keyword/translation
// tokens cut as the reader cuts them. The capacities, statement keywords and
// character classes are the reader's own.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "ppd/ppd_document.h"
#include "ppd/ppd_keywords.h"
#include "ppd/ppd_tokenizer.h"

// Bytes of one token; the buffer's last unit is its terminator.
constexpr size_t kCheckTokenLimit = kPpdTokenCapacity - 1;
// Units of one keyword/translation segment.
constexpr size_t kCheckSegmentCapacity = kPpdSegmentCapacity;
// Characters of one text; the last of its units is the terminator.
constexpr size_t kCheckTextCapacity = kPpdTextCapacity - 1;

// The bytes as the plug-in's text-mode stream yields them.
struct TextModeInput {
    std::string bytes;
    bool cut = false;  // a 0x1A byte ended the input before more than blanks
};

// CR LF is one line end, a 0x1A byte ends the input.
TextModeInput ReadAsTextMode(const std::string& file);

struct CheckToken {
    std::string text;  // up to its first zero byte, as the reader's string routines see it
    int line = 0;      // of its first byte
};

// The reader's tokenizer, with line numbers. A line ends at LF, and at a CR
// that text mode left alone.
class CheckTokenizer {
  public:
    explicit CheckTokenizer(const std::string& bytes) : bytes_(bytes) {}

    // False at the end of the input before any token byte.
    bool Next(CheckToken* token, bool allowBlanks);

  private:
    int Read();
    int Peek() const { return position_ < bytes_.size() ? static_cast<unsigned char>(bytes_[position_]) : -1; }

    const std::string& bytes_;  // borrowed
    size_t position_ = 0;
    int line_ = 1;
    int byteLine_ = 1;  // line of the byte read last
};

// The statement code the reader's keyword table gives the token; 0 for
// every token that starts no statement.
int32_t StatementCode(const std::string& token);

// A keyword of the reader's or the plug-in's tables (ASCII, in UTF-16) as
// the bytes a token holds: one byte per unit.
std::string KeywordBytes(const WCHAR* units);

// A keyword/translation token cut into its two texts as the reader cuts it:
// the keyword before the first slash, the translation after it, hexadecimal
// pairs between '<' and '>' decoded to bytes.
struct KeywordTranslation {
    std::string keyword;
    std::string translation;
    std::string keywordSegment;  // the units of the keyword's segment stored before the cut
    std::string translationSegment;
    size_t keywordUnits = 0;  // length of the keyword's segment before the reader's cut
    size_t translationUnits = 0;
    bool oneSegment = false;  // both texts come from the same segment
};

KeywordTranslation SplitKeywordTranslation(const std::string& token);

// The file's *LanguageEncoding value for the double-byte ANSI code page (932),
// under which the plug-in reads such a file.
extern const char kCheckDoubleByteEncoding[];

// Characters that bytes make in the file's encoding: a lead byte and its
// trail byte are one character under the double-byte encoding, every byte
// one character otherwise.
size_t CharacterCount(const std::string& bytes, bool doubleByte);

// Units the reader keeps of a segment longer than it holds, given the units
// stored: all of them, or one less under the double-byte encoding when the
// last would be a lead byte whose trail byte is cut off. Trail bytes overlap
// the lead range, so the pairs are found from the segment's start.
size_t KeptSegmentUnits(const std::string& stored, bool doubleByte);

// A PPD text for a message: printable ASCII as it is, other bytes as \xNN,
// long texts shortened.
std::string Shown(const std::string& text);
