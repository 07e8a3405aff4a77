// The check's scan: the reader's statement parser run over the tokens,
// recording where each record came from. A statement that takes its words
// from the next line is a finding at once; everything else is judged from the
// records.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/check/ppd_check.h"

struct OptionRecord {
    std::string keyword;
    std::string translation;
    int line = 0;
};

struct FeatureRecord {
    std::string keyword;
    std::string translation;
    std::string group;
    std::string defaultOption;
    int line = 0;              // of its *OpenUI
    int defaultLine = 0;       // of the last *Default line in the block, 0 when none
    int firstQueryLine = 0;    // of its first *? line, 0 when none
    int secondQueryLine = 0;   // where the reader stops
    int nestedOpenLine = 0;    // first *OpenUI met inside the block
    int closeLine = 0;         // of the *CloseUI that ends the block, 0 when none does
    bool closeKeyword = true;  // the *CloseUI found its keyword before the end of the file
    bool complete = false;     // the block's result; only then does an installable feature get a setting
    bool reached = true;       // read before the reader stopped
    std::vector<OptionRecord> options;

    bool installable() const;
    bool hasSetting() const { return complete && installable(); }
};

struct ConstraintRecord {
    std::string words[4];  // keyword1, option1, keyword2, option2
    int line = 0;
    bool runsOn = false;  // a word was taken from a later line
    bool reached = true;
};

// A text whose length is judged once the file's encoding is known.
struct PendingText {
    std::string bytes;
    int line;
    std::string what;
};

// A keyword/translation segment longer than the reader holds; what it keeps
// depends on the file's encoding.
struct PendingSegment {
    std::string stored;  // the units stored before the cut
    size_t units;        // the segment's length
    int line;
    std::string what;
};

struct ScannedPpd {
    std::vector<FeatureRecord> features;        // in file order, those after a stop included
    std::vector<ConstraintRecord> constraints;  // the same
    std::vector<PendingText> texts;             // reached texts longer than any text holds in bytes
    std::vector<PendingSegment> segments;       // reached segments longer than the reader holds
    std::vector<PpdFinding> findings;           // found while reading
    std::map<std::string, int> jclFeatures;     // keyword -> line of its *JCLOpenUI
    std::string encoding;                       // the *LanguageEncoding value the reader keeps
    std::string firstToken;                     // of the input
    int firstTokenLine = 0;                     // 0 when the input holds no token
};

// Reads the bytes of the text-mode stream as the reader does, to its end:
// what stands after the point where the reader stops is recorded as not
// reached, for the hints it gives.
ScannedPpd ScanPpd(const std::string& bytes);
