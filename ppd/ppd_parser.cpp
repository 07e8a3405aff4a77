// The statement parser: builds a PpdDocument in one pass over the tokens of
// the PPD stream. It knows only the statements the property sheets need;
// every other token is dropped one by one.
#include <string.h>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_document.h"
#include "ppd/ppd_index.h"
#include "ppd/ppd_keywords.h"

namespace {

constexpr WCHAR kSlash = 47;
constexpr WCHAR kLessThan = 60;
constexpr WCHAR kGreaterThan = 62;
constexpr WCHAR kAsterisk = 42;

// One segment of a keyword/translation token, hex escapes decoded. Units
// past the capacity are dropped, the rest of that segment with them. Under a
// double-byte ANSI code page the cut never leaves a lead byte last without
// its trail byte, which Assign would read as a character the PPD does not
// hold.
struct Segment {
    int32_t length = 0;
    bool cut = false;
    WCHAR units[kPpdSegmentCapacity + 1];

    void Clear() {
        length = 0;
        cut = false;
    }
    void Append(WCHAR unit) {
        if (cut) {
            return;
        }
        if (length < kPpdSegmentCapacity) {
            units[length++] = unit;
            return;
        }
        cut = true;
        if (EndsInLeadByte()) {
            --length;
        }
    }
    const WCHAR* Terminated() {
        units[length] = 0;
        return units;
    }

  private:
    // Trail bytes share their range with lead bytes, so the pairs are found
    // by walking from the segment's start: a lead byte takes the next unit
    // as its trail.
    bool EndsInLeadByte() const {
        int32_t next = 0;
        while (next < length) {
            next += IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(units[next] & 0xFF)) ? 2 : 1;
        }
        return next > length;
    }
};

}  // namespace

// State of one parse, gone when the constructor returns.
struct PpdParseState {
    PpdText groupKeyword;  // of the current *OpenGroup; no nesting
    PpdText groupTranslation;
    int32_t featureCapacity = kPpdFeatureSlots;
    int32_t installableCapacity = kPpdInstallableSlots;
    int32_t constraintCapacity = kPpdConstraintSlots;
    // The token in the buffer ended a statement early and is still to be
    // read by the statement loop.
    bool tokenPending = false;
};

PpdDocument::PpdDocument(FILE* stream)
    : featureCount(0),
      constraintCount(0),
      features(nullptr),
      constraints(nullptr),
      installableCount(0),
      installables(nullptr),
      tokenBuffer(nullptr),
      reader(nullptr),
      constraintIndex(nullptr),
      textIndex(nullptr) {
    tokenBuffer = PpdNewUnits(kPpdTokenCapacity);
    reader = PpdNewRecord<PpdTokenReader>();
    if (tokenBuffer != nullptr && reader != nullptr) {
        reader->readCallback = ReadFileByte;
        reader->pushBack = -1;
        reader->userData = stream;
        Parse();
    }
    EvaluateConstraints(this);
    PpdDeleteUnits(tokenBuffer);
    tokenBuffer = nullptr;
    PpdDeleteRecord(reader);
    reader = nullptr;
}

void PpdDocument::Parse() {
    features = PpdNewPointerArray<PpdFeature>(kPpdFeatureSlots);
    installables = PpdNewPointerArray<InstallableSetting>(kPpdInstallableSlots);
    constraints = PpdNewPointerArray<PpdConstraint>(kPpdConstraintSlots);
    if (features == nullptr || installables == nullptr || constraints == nullptr) {
        return;
    }
    PpdParseState state;
    for (;;) {
        int32_t length = 0;
        if (state.tokenPending) {
            state.tokenPending = false;
        } else if (!ReadToken(false, &length)) {
            break;
        }
        bool result = true;
        switch (ClassifyKeyword(tokenBuffer)) {
            case kPpdCloseGroup:
                // The group name after it is dropped as an ordinary token.
                state.groupKeyword.Clear();
                state.groupTranslation.Clear();
                break;
            case kPpdLanguageEncoding:
                result = ReadText(&languageEncoding);
                break;
            case kPpdLanguageVersion:
                result = ReadText(&languageVersion);
                break;
            case kPpdManufacturer:
                result = ReadText(&manufacturer);
                break;
            case kPpdModelName:
                result = ReadText(&modelName);
                break;
            case kPpdOpenGroup:
                state.groupKeyword.Clear();
                state.groupTranslation.Clear();
                result = ReadKeywordAndTranslation(&state.groupKeyword, &state.groupTranslation);
                break;
            case kPpdOpenUI:
                result = ParseFeatureStatement(&state);
                break;
            case kPpdProduct:
                result = ReadText(&product);
                break;
            case kPpdUIConstraints:
                result = ParseConstraintStatement(&state);
                break;
            default:
                break;
        }
        if (!result) {
            break;
        }
    }
    textIndex = BuildTextIndex(this);
    constraintIndex = BuildConstraintIndex(this);
}

bool PpdDocument::ReadToken(bool allowBlanks, int32_t* length) {
    return NextToken(reader, tokenBuffer, kPpdTokenCapacity, length, allowBlanks);
}

bool PpdDocument::ReadText(PpdText* text) {
    int32_t length = 0;
    if (!ReadToken(false, &length)) {
        return false;
    }
    text->Assign(tokenBuffer);
    return true;
}

bool PpdDocument::ReadKeywordAndTranslation(PpdText* keyword, PpdText* translation) {
    int32_t length = 0;
    if (!ReadToken(true, &length)) {
        return false;
    }
    // The keyword is the segment before the first slash; the translation is
    // everything after it, so that "Face Up/Down" or "52 - 105 g/m2" keep
    // their slashes.
    Segment segment;
    bool slashSeen = false;
    bool hex = false;
    bool digitPending = false;
    WCHAR pendingDigit = 0;
    for (const WCHAR* unit = tokenBuffer; *unit != 0; ++unit) {
        const WCHAR c = *unit;
        if (c == kSlash && !slashSeen) {
            slashSeen = true;
            keyword->Assign(segment.Terminated());
            segment.Clear();
        } else if (c == kLessThan) {
            hex = true;
            digitPending = false;
        } else if (c == kGreaterThan) {
            hex = false;
        } else if (!hex) {
            segment.Append(c);
        } else if (!digitPending) {
            pendingDigit = c;
            digitPending = true;
        } else {
            const WCHAR pair[3] = {pendingDigit, c, 0};
            segment.Append(static_cast<WCHAR>(wcstol(pair, nullptr, 16)));
            digitPending = false;
        }
    }
    const WCHAR* last = segment.Terminated();
    if (keyword->length == 0) {
        keyword->Assign(last);
    }
    translation->Assign(last[0] == kAsterisk ? last + 1 : last);
    return true;
}

bool PpdDocument::ParseFeatureStatement(PpdParseState* state) {
    if (!PpdReserveSlot(&features, &state->featureCapacity, featureCount)) {
        return false;
    }
    PpdFeature* feature = PpdNewRecord<PpdFeature>();
    if (feature == nullptr) {
        return false;
    }
    // Counted at once, so that a block that fails is still counted.
    features[featureCount++] = feature;
    feature->groupKeyword = state->groupKeyword;
    feature->groupTranslation = state->groupTranslation;
    if (!ParseFeatureBlock(feature)) {
        return false;
    }
    if (!state->groupKeyword.Equals(kPpdInstallableGroup)) {
        return true;
    }
    if (!PpdReserveSlot(&installables, &state->installableCapacity, installableCount)) {
        return false;
    }
    InstallableSetting* setting = PpdNewRecord<InstallableSetting>();
    if (setting == nullptr) {
        return false;
    }
    setting->keyword = feature->keyword;
    setting->value = feature->defaultOption;
    installables[installableCount++] = setting;
    return true;
}

bool PpdDocument::ParseFeatureBlock(PpdFeature* feature) {
    int32_t optionCapacity = kPpdOptionSlots;
    feature->options = PpdNewPointerArray<PpdOption>(optionCapacity);
    feature->optionCount = 0;
    feature->queryCode = nullptr;
    if (feature->options == nullptr) {
        return false;
    }
    if (!ReadKeywordAndTranslation(&feature->keyword, &feature->translation)) {
        return false;
    }
    PpdText typeWord;
    if (!ReadText(&typeWord)) {
        return false;
    }
    if (typeWord.Equals(TEXT("PickMany"))) {
        feature->uiType = kPpdUiPickMany;
    } else if (typeWord.Equals(TEXT("Boolean"))) {
        feature->uiType = kPpdUiBoolean;
    } else {
        feature->uiType = kPpdUiPickOne;
    }

    for (;;) {
        int32_t length = 0;
        if (!ReadToken(false, &length)) {
            return false;  // a block that never closes runs to the end of the file
        }
        const WCHAR* token = tokenBuffer;
        if (ClassifyKeyword(token) == kPpdCloseUI) {
            // The keyword after the colon, whatever it is.
            return ReadToken(false, &length);
        }
        if (wcsncmp(token, TEXT("*Default"), 8) == 0) {
            ReadText(&feature->defaultOption);  // end of input is met by the next read
            continue;
        }
        if (wcscmp(token, TEXT("*OrderDependency")) == 0) {
            // The number, then the section and the keyword, which must not
            // start an option line.
            if (!ReadToken(false, &length)) {
                return false;
            }
            feature->orderDependency = _wtoi(tokenBuffer);
            if (!ReadToken(false, &length) || !ReadToken(false, &length)) {
                return false;
            }
            continue;
        }
        if (wcsncmp(token, TEXT("*?"), 2) == 0) {
            if (feature->queryCode != nullptr) {
                return false;  // a second query line ends the whole parse
            }
            if (!ReadToken(false, &length)) {
                return false;
            }
            feature->queryCode = PpdNewString(tokenBuffer, length);
            if (feature->queryCode == nullptr) {
                return false;
            }
            continue;
        }
        if (wcscmp(token, feature->keyword.chars) == 0) {
            if (!ParseOptionLine(feature, &optionCapacity)) {
                return false;
            }
        }
    }
}

bool PpdDocument::ParseOptionLine(PpdFeature* feature, int32_t* optionCapacity) {
    if (!PpdReserveSlot(&feature->options, optionCapacity, feature->optionCount)) {
        return false;
    }
    PpdOption* option = PpdNewRecord<PpdOption>();
    if (option == nullptr) {
        return false;
    }
    feature->options[feature->optionCount++] = option;
    if (!ReadKeywordAndTranslation(&option->keyword, &option->translation)) {
        return false;
    }
    int32_t length = 0;
    if (!ReadToken(false, &length)) {
        return false;
    }
    option->invocation = PpdNewString(tokenBuffer, length);
    return option->invocation != nullptr;
}

bool PpdDocument::ParseConstraintStatement(PpdParseState* state) {
    if (!PpdReserveSlot(&constraints, &state->constraintCapacity, constraintCount)) {
        return false;
    }
    PpdConstraint* constraint = PpdNewRecord<PpdConstraint>();
    if (constraint == nullptr) {
        return false;
    }
    constraints[constraintCount++] = constraint;

    // PPDs leave option words out ("*KXDuplexOption *Duplex Tumble",
    // "*KXTrayUnit *InputSlot"). A '*' token where an option word is expected
    // fills the next keyword slot, and the option stays empty. A statement
    // keyword in any slot, or a '*' token in the last one, belongs to the next
    // statement: it ends this one and is left for the statement loop.
    PpdText* slots[4] = {&constraint->keyword1, &constraint->option1, &constraint->keyword2, &constraint->option2};
    int32_t slot = 0;
    while (slot < 4) {
        int32_t length = 0;
        if (!ReadToken(false, &length)) {
            return false;
        }
        const bool starred = tokenBuffer[0] == kAsterisk;
        if (ClassifyKeyword(tokenBuffer) != kPpdNoStatement || (slot == 3 && starred)) {
            state->tokenPending = true;
            return true;
        }
        if (slot == 1 && starred) {
            slot = 2;
        }
        slots[slot]->Assign(tokenBuffer);
        ++slot;
    }
    return true;
}
