// The in-memory model of one PPD file. The parser (ppd_parser.cpp) builds it
// once per plug-in object; afterwards only the installed values and the
// options' constrained flags change.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "platform/platform.h"
#include "ppd/ppd_tokenizer.h"

// A text holds at most 259 UTF-16 units and its terminator.
constexpr int32_t kPpdTextCapacity = 260;

// At most 3 bytes of any ANSI code page make one UTF-16 unit, so the first
// 4 bytes per unit of capacity decide a text's first 259 units.
constexpr int32_t kPpdAssignByteLimit = 4 * kPpdTextCapacity;

// The scratch area in which a keyword/translation token is split and its
// hex escapes decoded holds one segment of up to 263 units.
constexpr int32_t kPpdSegmentCapacity = 263;

// First capacities of the model's arrays; each doubles when full.
constexpr int32_t kPpdFeatureSlots = 32;
constexpr int32_t kPpdInstallableSlots = 32;
constexpr int32_t kPpdConstraintSlots = 512;
constexpr int32_t kPpdOptionSlots = 64;

// uiType values.
constexpr int32_t kPpdUiPickOne = 1;  // also every type word other than the two below
constexpr int32_t kPpdUiPickMany = 2;
constexpr int32_t kPpdUiBoolean = 3;

// The group whose features are installable options.
inline constexpr const WCHAR* kPpdInstallableGroup = TEXT("InstallableOptions");

class PpdText {
  public:
    PpdText() : length(0) { chars[0] = 0; }
    PpdText(const PpdText&) = default;  // copies length and all 260 units
    PpdText& operator=(const PpdText&) = default;
    virtual ~PpdText() {}

    // Stores a token (one byte value per unit, up to the first zero) converted
    // from the ANSI code page; keeps the first 259 units of a longer text.
    // Returns the new length.
    int32_t Assign(const WCHAR* source);
    // Stores UTF-16 text as it is (first 259 units, no split surrogate pair).
    int32_t AssignWide(const WCHAR* text);
    void Clear() {
        length = 0;
        chars[0] = 0;
    }
    // Equal by length, then unit by unit. Inline: the constraint walk
    // compares texts tens of millions of times per pass.
    bool Equals(const PpdText& other) const {
        if (length != other.length) {
            return false;
        }
        for (int32_t i = 0; i < length; ++i) {
            if (chars[i] != other.chars[i]) {
                return false;
            }
        }
        return true;
    }
    // Equal unit by unit up to and including the terminator.
    bool Equals(const WCHAR* text) const;

    int32_t length;                 // units before the terminator, 0 to 259
    WCHAR chars[kPpdTextCapacity];  // zero-terminated at length
};

// One option line of a feature.
struct PpdOption {
    PpdOption() : invocation(nullptr), constrained(false) {}

    PpdText keyword;      // e.g. "A4"
    PpdText translation;  // the keyword without a leading '*' when the line has none
    WCHAR* invocation;    // owned; the value token's raw byte units, or null when the line was cut
    bool constrained;     // set by EvaluateConstraints
};

// One *OpenUI block.
struct PpdFeature {
    PpdFeature() : queryCode(nullptr), uiType(kPpdUiPickOne), orderDependency(0), optionCount(0), options(nullptr) {}

    PpdText keyword;           // with its leading '*', e.g. "*PageSize"
    PpdText translation;       // from the *OpenUI line, else the keyword without '*'
    PpdText defaultOption;     // value of the block's last "*Default..." line
    PpdText groupKeyword;      // of the enclosing *OpenGroup; empty outside any
    PpdText groupTranslation;  //
    WCHAR* queryCode;          // owned; raw byte units of the first "*?" line's value, or null
    int32_t uiType;            // kPpdUiPickOne, kPpdUiPickMany or kPpdUiBoolean
    int32_t orderDependency;   // integer part of the *OrderDependency number
    int32_t optionCount;       //
    PpdOption** options;       // owned, in file order; null only when it could not be allocated
};

// One *UIConstraints statement, its four words in their order.
struct PpdConstraint {
    PpdText keyword1;
    PpdText option1;
    PpdText keyword2;
    PpdText option2;
};

// A feature of the installable-options group and its current value.
class InstallableSetting {
  public:
    InstallableSetting() {}
    InstallableSetting(const InstallableSetting&) = delete;
    InstallableSetting& operator=(const InstallableSetting&) = delete;
    virtual ~InstallableSetting() {}

    PpdText keyword;  // copy of the feature's keyword
    PpdText value;    // the feature's default at first, later the host's answer
};

struct PpdConstraintIndex;  // customize/constraints.h
struct PpdTextIndex;        // ppd/ppd_index.h
struct PpdParseState;       // ppd_parser.cpp

class PpdDocument {
  public:
    // Reads the whole stream, which stays open and stays the caller's. Always
    // yields a document: an empty, truncated or unreadable stream, or memory
    // running out, gives an empty or partial one. Ends with a first
    // constraint pass over the PPD's defaults.
    explicit PpdDocument(FILE* stream);
    PpdDocument(const PpdDocument&) = delete;
    PpdDocument& operator=(const PpdDocument&) = delete;
    virtual ~PpdDocument();

    int32_t featureCount;
    int32_t constraintCount;
    PpdFeature** features;        // owned, in file order
    PpdConstraint** constraints;  // owned, in file order
    PpdText modelName;
    PpdText product;
    PpdText manufacturer;
    PpdText languageEncoding;
    PpdText languageVersion;
    int32_t installableCount;
    InstallableSetting** installables;  // owned, in the order of their features
    WCHAR* tokenBuffer;                 // kPpdTokenCapacity units; only during construction
    PpdTokenReader* reader;             // only during construction
    // Built once at the end of the parse, since the constraints never change
    // afterwards; null when it could not be allocated (the passes then walk).
    PpdConstraintIndex* constraintIndex;
    // Features and installable settings by their texts, built before the
    // constraint index; null when it could not be allocated (lookups then
    // walk).
    PpdTextIndex* textIndex;

  private:
    void Parse();
    bool ReadToken(bool allowBlanks, int32_t* length);
    bool ReadText(PpdText* text);
    bool ReadKeywordAndTranslation(PpdText* keyword, PpdText* translation);
    bool ParseFeatureStatement(PpdParseState* state);
    bool ParseFeatureBlock(PpdFeature* feature);
    bool ParseOptionLine(PpdFeature* feature, int32_t* optionCapacity);
    bool ParseConstraintStatement(PpdParseState* state);
};
