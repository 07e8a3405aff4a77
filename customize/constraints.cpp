#include "customize/constraints.h"

#include <string.h>

#include "ppd/ppd_alloc.h"
#include "ppd/ppd_index.h"

// What a pass needs, computed once per document. Which installable setting
// decides a feature's marks depends on keywords only, and keywords never
// change after the parse; only the settings' values do. So a pass needs, per
// option, just the option1 words of the constraints that could forbid it.
struct PpdConstraintIndex {
    // The document's shape when the index was built; a pass that finds
    // another shape walks instead.
    int32_t featureCount = 0;
    int32_t constraintCount = 0;
    int32_t installableCount = 0;
    // Per feature: the last installable setting in list order that some
    // constraint ties to it (it overrides every earlier one), or -1: the
    // feature's flags are left alone, as are those of installable features.
    int32_t* decidingSetting = nullptr;
    // Per feature, plus one: the feature's options are slots
    // firstSlot[f] to firstSlot[f + 1] - 1.
    int32_t* firstSlot = nullptr;
    // Per slot, plus one: the slot's candidates are
    // candidates[firstCandidate[s]] to candidates[firstCandidate[s + 1] - 1].
    int32_t* firstCandidate = nullptr;
    // Constraint indices whose keyword1, keyword2 and option2 match the
    // slot's deciding setting, feature and option; option1 is checked against
    // the setting's current value in each pass.
    int32_t* candidates = nullptr;
};

namespace {

int32_t* NewInts(int64_t count) {
    if (count < 0 || count > INT32_MAX) {
        return nullptr;
    }
    return static_cast<int32_t*>(PpdAllocBlock(sizeof(int32_t) * static_cast<size_t>(count)));
}

bool IsInstallableFeature(const PpdFeature* feature) {
    return feature->groupKeyword.Equals(kPpdInstallableGroup);
}

// Calls visit(slot, constraint) for every option slot that a constraint can
// forbid under the slot's deciding setting: the constraint names the
// feature and the option, and its keyword1 is the deciding setting's keyword.
template <typename Visit>
void ForEachCandidate(const PpdDocument* document, const PpdConstraintIndex* index, Visit visit) {
    for (int32_t c = 0; c < document->constraintCount; ++c) {
        const PpdConstraint* constraint = document->constraints[c];
        ForEachFeatureNamed(document, constraint->keyword2, [&](int32_t f) {
            const int32_t s = index->decidingSetting[f];
            if (s < 0 || !document->installables[s]->keyword.Equals(constraint->keyword1)) {
                return;
            }
            const PpdFeature* feature = document->features[f];
            for (int32_t o = 0; o < feature->optionCount; ++o) {
                if (feature->options[o]->keyword.Equals(constraint->option2)) {
                    visit(index->firstSlot[f] + o, c);
                }
            }
        });
    }
}

bool IndexFits(const PpdConstraintIndex* index, const PpdDocument* document) {
    if (index == nullptr || index->featureCount != document->featureCount ||
        index->constraintCount != document->constraintCount || index->installableCount != document->installableCount) {
        return false;
    }
    for (int32_t f = 0; f < document->featureCount; ++f) {
        if (index->firstSlot[f + 1] - index->firstSlot[f] != document->features[f]->optionCount) {
            return false;
        }
    }
    return true;
}

}  // namespace

PpdConstraintIndex* BuildConstraintIndex(const PpdDocument* document) {
    if (document == nullptr) {
        return nullptr;
    }
    PpdConstraintIndex* index = PpdNewRecord<PpdConstraintIndex>();
    if (index == nullptr) {
        return nullptr;
    }
    const int32_t featureCount = document->featureCount;
    index->featureCount = featureCount;
    index->constraintCount = document->constraintCount;
    index->installableCount = document->installableCount;
    index->decidingSetting = NewInts(featureCount);
    index->firstSlot = NewInts(static_cast<int64_t>(featureCount) + 1);
    if (index->decidingSetting == nullptr || index->firstSlot == nullptr) {
        ReleaseConstraintIndex(index);
        return nullptr;
    }

    int64_t slotCount = 0;
    for (int32_t f = 0; f < featureCount; ++f) {
        index->firstSlot[f] = static_cast<int32_t>(slotCount);
        index->decidingSetting[f] = -1;
        slotCount += document->features[f]->optionCount;
        if (slotCount > INT32_MAX - 1) {
            ReleaseConstraintIndex(index);
            return nullptr;
        }
    }
    index->firstSlot[featureCount] = static_cast<int32_t>(slotCount);

    for (int32_t c = 0; c < document->constraintCount; ++c) {
        const PpdConstraint* constraint = document->constraints[c];
        const int32_t s = FindLastInstallable(document, constraint->keyword1);
        if (s < 0) {
            continue;
        }
        ForEachFeatureNamed(document, constraint->keyword2, [&](int32_t f) {
            if (s > index->decidingSetting[f] && !IsInstallableFeature(document->features[f])) {
                index->decidingSetting[f] = s;
            }
        });
    }

    // A counting sort of the candidates by slot.
    index->firstCandidate = NewInts(slotCount + 1);
    if (index->firstCandidate == nullptr) {
        ReleaseConstraintIndex(index);
        return nullptr;
    }
    memset(index->firstCandidate, 0, sizeof(int32_t) * static_cast<size_t>(slotCount + 1));
    int64_t candidateCount = 0;
    ForEachCandidate(document, index, [&](int32_t slot, int32_t) {
        ++index->firstCandidate[slot + 1];
        ++candidateCount;
    });
    index->candidates = NewInts(candidateCount);
    if (index->candidates == nullptr) {
        ReleaseConstraintIndex(index);
        return nullptr;
    }
    for (int64_t slot = 0; slot < slotCount; ++slot) {
        index->firstCandidate[slot + 1] += index->firstCandidate[slot];
    }
    // Filled through the slot starts, which leaves each start at its end;
    // shifted back afterwards.
    ForEachCandidate(document, index,
                     [&](int32_t slot, int32_t c) { index->candidates[index->firstCandidate[slot]++] = c; });
    for (int64_t slot = slotCount; slot > 0; --slot) {
        index->firstCandidate[slot] = index->firstCandidate[slot - 1];
    }
    index->firstCandidate[0] = 0;
    return index;
}

void ReleaseConstraintIndex(PpdConstraintIndex* index) {
    if (index == nullptr) {
        return;
    }
    PpdFreeBlock(index->decidingSetting);
    PpdFreeBlock(index->firstSlot);
    PpdFreeBlock(index->firstCandidate);
    PpdFreeBlock(index->candidates);
    PpdDeleteRecord(index);
}

void StoreInstalledValue(PpdDocument* document, const WCHAR* keyword, const WCHAR* value) {
    if (document == nullptr || keyword == nullptr || value == nullptr) {
        return;
    }
    const int32_t s = FindFirstInstallable(document, keyword);
    if (s >= 0) {
        // Already UTF-16 from the host: a second pass through the ANSI code
        // page would garble every non-ASCII value.
        document->installables[s]->value.AssignWide(value);
    }
}

int32_t MatchConstraint(const PpdDocument* document, const PpdText& settingKeyword, const PpdText& settingValue,
                        const PpdFeature* feature, const PpdOption* option) {
    int32_t result = kConstraintUnrelated;
    for (int32_t c = 0; c < document->constraintCount; ++c) {
        const PpdConstraint* constraint = document->constraints[c];
        if (!constraint->keyword1.Equals(settingKeyword) || !constraint->keyword2.Equals(feature->keyword)) {
            continue;
        }
        result = kConstraintAllows;
        if (constraint->option1.Equals(settingValue) && constraint->option2.Equals(option->keyword)) {
            return kConstraintForbids;
        }
    }
    return result;
}

void EvaluateConstraintsByWalk(PpdDocument* document) {
    if (document == nullptr) {
        return;
    }
    for (int32_t f = 0; f < document->featureCount; ++f) {
        const PpdFeature* feature = document->features[f];
        if (IsInstallableFeature(feature)) {
            continue;
        }
        for (int32_t o = 0; o < feature->optionCount; ++o) {
            PpdOption* option = feature->options[o];
            // No reset first: the last setting tied to the feature decides.
            for (int32_t s = 0; s < document->installableCount; ++s) {
                const InstallableSetting* setting = document->installables[s];
                const int32_t match = MatchConstraint(document, setting->keyword, setting->value, feature, option);
                if (match == kConstraintForbids) {
                    option->constrained = true;
                } else if (match == kConstraintAllows) {
                    option->constrained = false;
                }
            }
        }
    }
}

void EvaluateConstraints(PpdDocument* document) {
    if (document == nullptr) {
        return;
    }
    const PpdConstraintIndex* index = document->constraintIndex;
    if (!IndexFits(index, document)) {
        EvaluateConstraintsByWalk(document);
        return;
    }
    for (int32_t f = 0; f < document->featureCount; ++f) {
        const int32_t s = index->decidingSetting[f];
        if (s < 0) {
            continue;
        }
        const PpdText& value = document->installables[s]->value;
        const PpdFeature* feature = document->features[f];
        for (int32_t o = 0; o < feature->optionCount; ++o) {
            const int32_t slot = index->firstSlot[f] + o;
            bool forbidden = false;
            for (int32_t k = index->firstCandidate[slot]; k < index->firstCandidate[slot + 1]; ++k) {
                if (document->constraints[index->candidates[k]]->option1.Equals(value)) {
                    forbidden = true;
                    break;
                }
            }
            feature->options[o]->constrained = forbidden;
        }
    }
}
