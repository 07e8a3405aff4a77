// Installed options and constraint evaluation: keeps the installable
// settings in step with the host and marks every option that the PPD's
// *UIConstraints forbid under them.
#pragma once

#include <stdint.h>

#include "plugin/oem_abi.h"
#include "plugin/plugin_context.h"
#include "ppd/ppd_document.h"

// Name buffer for the host: a feature keyword in the ANSI code page.
constexpr int32_t kInstalledNameBytes = 260;
// The host writes the current option into this many bytes.
constexpr DWORD kInstalledAnswerBytes = 256;

// MatchConstraint results.
constexpr int32_t kConstraintUnrelated = 0;  // no constraint ties the setting to the feature
constexpr int32_t kConstraintForbids = 1;    // the setting's current value forbids the option
constexpr int32_t kConstraintAllows = 2;     // tied, but the option is not forbidden

// Asks the host for the current option of one feature (keyword with its
// leading '*'). S_OK when value (kPpdTextCapacity units) holds it; the host's
// own result when it refuses; E_FAIL without asking when there is no host
// interface or the keyword is empty, and when a conversion fails.
HRESULT QueryInstalledValue(PVOID pci, PluginContext* context, const WCHAR* keyword, WCHAR* value);

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
