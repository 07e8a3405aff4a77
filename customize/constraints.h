// Constraint evaluation over the model: the installable settings' values and
// the marks of every option that the PPD's *UIConstraints forbid under them.
// The reader builds on this part (its first pass ends the construction), so
// it knows the model only: nothing of the host or the plug-in object.
#pragma once

#include <stdint.h>

#include "ppd/ppd_document.h"

// MatchConstraint results.
constexpr int32_t kConstraintUnrelated = 0;  // no constraint ties the setting to the feature
constexpr int32_t kConstraintForbids = 1;    // the setting's current value forbids the option
constexpr int32_t kConstraintAllows = 2;     // tied, but the option is not forbidden

// Replaces the value of the first installable setting whose keyword equals
// keyword; nothing changes when none does or either text is null.
void StoreInstalledValue(PpdDocument* document, const WCHAR* keyword, const WCHAR* value);

// Sets or clears the constrained flag of every option that some installable
// setting is tied to. Uses the document's constraint index; walks the
// constraints with MatchConstraint when there is none. Allocates nothing.
void EvaluateConstraints(PpdDocument* document);

// The same pass by the plain walk, always.
void EvaluateConstraintsByWalk(PpdDocument* document);

// kConstraintUnrelated, kConstraintForbids or kConstraintAllows.
int32_t MatchConstraint(const PpdDocument* document, const PpdText& settingKeyword, const PpdText& settingValue,
                        const PpdFeature* feature, const PpdOption* option);

// The per-document index of the constraints (built at the end of the parse,
// released with the document). Null when it cannot be allocated.
PpdConstraintIndex* BuildConstraintIndex(const PpdDocument* document);
void ReleaseConstraintIndex(PpdConstraintIndex* index);
