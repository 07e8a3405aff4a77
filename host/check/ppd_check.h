// The PPD check: reads a PPD file the way the plug-in's reader does and
// reports, line by line, what would silently change the plug-in's behaviour.
//
// The scan is its own, built on the reader's capacities and tables but not on
// the reader itself, so it says where in the file each effect comes from.
#pragma once

#include <string>
#include <vector>

enum class PpdSeverity { kInfo, kWarning, kError };

// One code per kind of finding; scripts match on their names, so a kind keeps
// its name for good.
enum class PpdFindingCode {
    kNotAPpd,
    kEndOfInputByte,
    kSecondQuery,
    kUnclosedBlock,
    kNestedBlock,
    kMissingWord,
    kCloseUIWithoutKeyword,
    kInstallableWithoutDefault,
    kNoOptions,
    kRenderingTooFewOptions,
    kRenderingColourFirst,
    kSameTranslation,
    kConstraintIncomplete,
    kConstraintUnknownFeature,
    kConstraintUnknownOption,
    kLeftOutOption,
    kOneWayConstraint,
    kSegmentCut,
    kTextCut,
};

struct PpdFinding {
    int line;  // 1-based line in the PPD; 0 where no line applies
    PpdSeverity severity;
    PpdFindingCode code;
    std::string message;  // one line of printable ASCII
};

struct PpdCheckResult {
    std::vector<PpdFinding> findings;  // in line order
    // What the plug-in's reader keeps of the file, counted as its document
    // counts it.
    int featureCount = 0;
    int optionCount = 0;  // over all features
    int constraintCount = 0;
    int installableCount = 0;
    int stopLine = 0;  // where the reader stops before the end of the file, else 0
};

// Checks the bytes of a PPD file as stored; they are read in text mode, as
// the plug-in opens the file (CR LF is one line end, a 0x1A byte ends the input).
// Bytes that are not a PPD (none, binary data, or a first statement other
// than *PPD-Adobe) give that one error finding; the counts are still the
// reader's.
PpdCheckResult CheckPpdBytes(const std::string& fileBytes);

// Checks the file at path (a narrow path, as a command line gives it). False
// with a one-line reason in *error when the file cannot be read.
bool CheckPpdFile(const std::string& path, PpdCheckResult* result, std::string* error);

// "error", "warning" or "info".
const char* PpdSeverityName(PpdSeverity severity);

// "not-a-ppd", "second-query", ...
const char* PpdFindingCodeName(PpdFindingCode code);

// "PATH:LINE: SEVERITY: MESSAGE [CODE]", or "PATH: SEVERITY: MESSAGE [CODE]"
// for line 0; no line end.
std::string FormatPpdFinding(const std::string& path, const PpdFinding& finding);
