// CUPS's reading of a PPD file, copied out of its records into plain values
// so that only cups_oracle.cpp touches CUPS's deprecated PPD interface.
#pragma once

#include <array>
#include <string>
#include <vector>

struct OracleChoice {
    std::string keyword;
    std::string text;  // UTF-8
};

struct OracleFeature {
    std::string keyword;  // without the leading '*'
    std::string text;     // UTF-8
    std::string defaultChoice;
    std::string groupName;
    bool jclSection = false;  // section PPD_ORDER_JCL
    std::vector<OracleChoice> choices;
};

// option1, choice1, option2, choice2; keywords without '*', an empty word
// where the statement has none.
typedef std::array<std::string, 4> OracleConstraint;

struct OracleReading {
    bool opened = false;
    std::string error;  // why ppdOpenFile failed
    // Groups in CUPS's order, each group's own options before those of its
    // subgroups.
    std::vector<OracleFeature> features;
    std::vector<OracleConstraint> constraints;  // in file order
};

OracleReading ReadWithCups(const std::string& path);

// The name CUPS gives the group of the *JCLOpenUI features.
constexpr const char* kCupsJclGroup = "JCL";
