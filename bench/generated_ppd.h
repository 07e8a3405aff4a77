// Generated PPD text of any size, for the sweeps: n features of two options
// each, the first k of them in the installable-options group, and c
// constraints that either spread over all features or all name the first.
#pragma once

#include <stdint.h>

#include <string>

// How the constraints pick their features.
constexpr int32_t kGeneratedSpread = 0;      // *F<i mod n> A *F<(i*7919+1) mod n> B
constexpr int32_t kGeneratedOneFeature = 1;  // *F0 A *F<1 + i mod (n-1)> B

struct GeneratedPpdShape {
    int32_t features = 1000;     // n, at least 1 (at least 2 for kGeneratedOneFeature)
    int32_t installables = 0;    // k, the first k features, at most n
    int32_t constraints = 1000;  // c
    int32_t layout = kGeneratedSpread;
    bool withConstraints = true;  // false: the same file without its *UIConstraints lines
};

// True when the counts are in range and the layout is one of the two.
bool ValidGeneratedShape(const GeneratedPpdShape& shape);

// The whole file: header, features (*OpenUI *F<i>/Feature <i>: PickOne,
// *DefaultF<i>: A, options A and B, *CloseUI), then the constraints. Empty
// when the shape is not valid.
std::string GeneratePpd(const GeneratedPpdShape& shape);

// "n<features>-k<installables>-c<constraints>-<spread|one>[-nocon]", for
// names of benchmarks and files.
std::string GeneratedShapeName(const GeneratedPpdShape& shape);
