#include "host/check/check_findings.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "host/check/check_input.h"
#include "resources/feature_labels.h"

namespace {

bool Starred(const std::string& text) {
    return !text.empty() && text[0] == '*';
}

std::string Quoted(const std::string& text) {
    return "'" + Shown(text) + "'";
}

std::string Number(size_t value) {
    return std::to_string(value);
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The keyword of the colour-rendering feature, as a token holds it.
const std::string& RenderingKeyword() {
    static const std::string keyword = [] {
        for (const FeatureLabelRow* row = FeatureLabelTable; row->itemCode != 0; ++row) {
            if (row->itemCode == kColorRenderingItemCode) {
                return KeywordBytes(row->keyword);
            }
        }
        return std::string();
    }();
    return keyword;
}

// The keywords the plug-in tags driver items for: its feature label rows
// that carry no public item of the host's.
bool IsTaggedKeyword(const std::string& keyword) {
    for (const FeatureLabelRow* row = FeatureLabelTable; row->itemCode != 0; ++row) {
        if (row->publicItemId == DMPUB_NONE && keyword == KeywordBytes(row->keyword)) {
            return true;
        }
    }
    return false;
}

// The plug-in disables the rendering item at selection 0, so option 0 has to
// be the monochrome one.
bool ReadsAsMonochrome(const std::string& keyword, const std::string& translation) {
    static const char* const kWords[] = {"mono", "gray", "grey", "black", "b/w", "b&w"};
    for (const std::string& text : {Lower(keyword), Lower(translation)}) {
        for (const char* word : kWords) {
            if (text.find(word) != std::string::npos) {
                return true;
            }
        }
        if (text == "bw") {
            return true;
        }
    }
    return false;
}

std::string PairKey(const std::string& a, const std::string& b) {
    return a + '\0' + b;
}

std::string ConstraintKey(const std::string& k1, const std::string& o1, const std::string& k2, const std::string& o2) {
    return PairKey(PairKey(k1, o1), PairKey(k2, o2));
}

class ModelJudge {
  public:
    explicit ModelJudge(const ScannedPpd& scanned) : scanned_(scanned), findings_(scanned.findings) {}

    std::vector<PpdFinding> Judge(int* stopLine);

  private:
    void Add(int line, PpdSeverity severity, PpdFindingCode code, const std::string& message) {
        findings_.push_back(PpdFinding{line, severity, code, message});
    }
    void CheckBlock(const FeatureRecord& feature);
    void CheckRendering(const FeatureRecord& feature);
    void CheckTranslations();
    void CheckConstraints();
    void CheckConstraint(const ConstraintRecord& constraint);
    void CheckSegments();
    void CheckTexts();
    std::string MissingFeatureHint(const std::string& keyword) const;
    const FeatureRecord* FindFeature(const std::string& keyword) const;

    const ScannedPpd& scanned_;  // borrowed
    std::vector<PpdFinding> findings_;
    int stopLine_ = 0;

    // Of the records read before any stop.
    std::map<std::string, const FeatureRecord*> byKeyword_;
    std::map<std::string, int> unreachedFeatures_;  // keyword -> line of its *OpenUI
    std::set<std::string> constraintKeys_;
    std::set<std::string> tiedPairs_;     // keyword1, keyword2 of every constraint
    std::set<std::string> forbidPairs_;   // the same, of constraints with both options
    std::set<std::string> reportedTies_;  // pairs already reported as tied without a forbidding constraint
};

std::vector<PpdFinding> ModelJudge::Judge(int* stopLine) {
    CheckSegments();
    for (const FeatureRecord& feature : scanned_.features) {
        if (!feature.reached) {
            unreachedFeatures_.emplace(feature.keyword, feature.line);
            continue;
        }
        byKeyword_.emplace(feature.keyword, &feature);
        CheckBlock(feature);
        CheckRendering(feature);
    }
    CheckTranslations();
    CheckConstraints();
    CheckTexts();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const PpdFinding& a, const PpdFinding& b) { return a.line < b.line; });
    *stopLine = stopLine_;
    return std::move(findings_);
}

void ModelJudge::CheckBlock(const FeatureRecord& feature) {
    const std::string name = feature.keyword.empty() ? "(no keyword)" : Shown(feature.keyword);
    if (feature.secondQueryLine != 0) {
        stopLine_ = feature.secondQueryLine;
        Add(feature.secondQueryLine, PpdSeverity::kError, PpdFindingCode::kSecondQuery,
            "second *? line in the block of " + name + " (the first is at line " + Number(feature.firstQueryLine) +
                "): the reader stops here and the rest of the file is lost");
        return;
    }
    if (feature.closeLine == 0) {
        Add(feature.line, PpdSeverity::kError, PpdFindingCode::kUnclosedBlock,
            "*OpenUI block of " + name + " never closes: it runs to the end of the file");
        return;
    }
    if (feature.nestedOpenLine != 0) {
        Add(feature.line, PpdSeverity::kError, PpdFindingCode::kNestedBlock,
            "*OpenUI block of " + name + " is not closed before the *OpenUI at line " + Number(feature.nestedOpenLine) +
                ": it runs on to the *CloseUI at line " + Number(feature.closeLine) +
                " and the features opened in between are lost");
    }
    if (!feature.closeKeyword) {
        Add(feature.closeLine, PpdSeverity::kWarning, PpdFindingCode::kCloseUIWithoutKeyword,
            "*CloseUI of " + name + " has no keyword before the end of the file: the block counts as unfinished" +
                (feature.installable() ? " and gets no installable setting" : ""));
        return;
    }
    if (feature.installable() && feature.defaultLine == 0) {
        Add(feature.line, PpdSeverity::kWarning, PpdFindingCode::kInstallableWithoutDefault,
            "installable feature " + name + " has no *Default line: its setting starts empty");
    } else if (feature.installable() && feature.defaultOption.empty()) {
        Add(feature.defaultLine, PpdSeverity::kWarning, PpdFindingCode::kInstallableWithoutDefault,
            "installable feature " + name + " has an empty default: its setting starts empty");
    }
    if (feature.options.empty() && feature.keyword != RenderingKeyword()) {
        Add(feature.line, PpdSeverity::kWarning, PpdFindingCode::kNoOptions,
            name + " has no option lines the reader takes" +
                (Starred(feature.keyword) ? std::string()
                                          : ": its keyword has no leading '*', so its option lines never match"));
    }
}

void ModelJudge::CheckRendering(const FeatureRecord& feature) {
    const std::string& rendering = RenderingKeyword();
    if (feature.keyword != rendering) {
        return;
    }
    const size_t count = feature.options.size();
    if (count < 2) {
        Add(feature.line, PpdSeverity::kError, PpdFindingCode::kRenderingTooFewOptions,
            rendering + " has " + Number(count) + (count == 1 ? " option" : " options") +
                ": the colour selection 1 would point past its end");
        return;
    }
    const OptionRecord& first = feature.options[0];
    if (!ReadsAsMonochrome(first.keyword, first.translation)) {
        Add(first.line, PpdSeverity::kWarning, PpdFindingCode::kRenderingColourFirst,
            "first option of " + rendering + ", " + Shown(first.keyword) + " " + Quoted(first.translation) +
                ", does not read as monochrome: the plug-in disables the item at selection 0");
    }
}

void ModelJudge::CheckTranslations() {
    std::map<std::string, const FeatureRecord*> first;
    for (const FeatureRecord& feature : scanned_.features) {
        if (!feature.reached || feature.translation.empty()) {
            continue;
        }
        const auto inserted = first.emplace(feature.translation, &feature);
        if (!inserted.second) {
            // Only a feature the plug-in tags makes the first one's win matter.
            const FeatureRecord& earlier = *inserted.first->second;
            const bool tagged = IsTaggedKeyword(earlier.keyword) || IsTaggedKeyword(feature.keyword);
            Add(feature.line, tagged ? PpdSeverity::kWarning : PpdSeverity::kInfo, PpdFindingCode::kSameTranslation,
                Shown(feature.keyword) + " has the same translation as " + Shown(earlier.keyword) + " (line " +
                    Number(earlier.line) + "), " + Quoted(feature.translation) + ": the first wins the item" +
                    (tagged ? "" : ", though the plug-in tags neither"));
        }
    }
}

const FeatureRecord* ModelJudge::FindFeature(const std::string& keyword) const {
    const auto found = byKeyword_.find(keyword);
    return found == byKeyword_.end() ? nullptr : found->second;
}

std::string ModelJudge::MissingFeatureHint(const std::string& keyword) const {
    const auto later = unreachedFeatures_.find(keyword);
    if (later != unreachedFeatures_.end()) {
        return " (its *OpenUI at line " + Number(later->second) + " stands after the point where the reader stops)";
    }
    const auto jcl = scanned_.jclFeatures.find(keyword);
    if (jcl != scanned_.jclFeatures.end()) {
        return " (it is opened by the *JCLOpenUI at line " + Number(jcl->second) + ", which the reader drops)";
    }
    if (Starred(keyword)) {
        const FeatureRecord* unstarred = FindFeature(keyword.substr(1));
        if (unstarred != nullptr) {
            return " (the *OpenUI at line " + Number(unstarred->line) + " names it without the '*')";
        }
    }
    return "";
}

void ModelJudge::CheckConstraints() {
    for (const ConstraintRecord& c : scanned_.constraints) {
        if (!c.reached) {
            continue;
        }
        constraintKeys_.insert(ConstraintKey(c.words[0], c.words[1], c.words[2], c.words[3]));
        tiedPairs_.insert(PairKey(c.words[0], c.words[2]));
        if (!c.words[1].empty() && !c.words[3].empty()) {
            forbidPairs_.insert(PairKey(c.words[0], c.words[2]));
        }
    }
    for (const ConstraintRecord& c : scanned_.constraints) {
        if (c.reached && !c.runsOn) {
            CheckConstraint(c);
        }
    }
}

void ModelJudge::CheckConstraint(const ConstraintRecord& c) {
    const std::string& k1 = c.words[0];
    const std::string& o1 = c.words[1];
    const std::string& k2 = c.words[2];
    const std::string& o2 = c.words[3];
    if (k1.empty()) {
        Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kConstraintIncomplete,
            "*UIConstraints names no feature: it has no effect");
        return;
    }
    if (k2.empty()) {
        Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kConstraintIncomplete,
            "*UIConstraints names only " + Shown(k1) + ": it ties nothing");
        return;
    }
    bool unknown = false;
    const FeatureRecord* features[2] = {FindFeature(k1), FindFeature(k2)};
    const std::string* options[2] = {&o1, &o2};
    for (int i = 0; i < 2; ++i) {
        const std::string& keyword = c.words[2 * i];
        if (features[i] == nullptr) {
            Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kConstraintUnknownFeature,
                "*UIConstraints names feature " + Shown(keyword) + ", which has no *OpenUI" +
                    MissingFeatureHint(keyword));
            unknown = true;
            continue;
        }
        const std::string& option = *options[i];
        if (option.empty()) {
            continue;
        }
        const std::vector<OptionRecord>& known = features[i]->options;
        const bool found = std::any_of(known.begin(), known.end(),
                                       [&](const OptionRecord& record) { return record.keyword == option; });
        if (!found) {
            Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kConstraintUnknownOption,
                "*UIConstraints names option " + Shown(option) + " of " + Shown(keyword) + ", which " + Shown(keyword) +
                    " does not have");
            unknown = true;
        }
    }
    if (unknown) {
        return;
    }
    // The plug-in reads a constraint only with an installable feature first
    // and a print feature second.
    const bool installableFirst = features[0]->hasSetting();
    const bool installableSecond = features[1]->installable();
    if (o1.empty() || o2.empty()) {
        if (installableFirst && !installableSecond) {
            // Tied by this statement alone, the print feature's marks under
            // that setting are all cleared and none is set.
            if (forbidPairs_.count(PairKey(k1, k2)) == 0 && reportedTies_.insert(PairKey(k1, k2)).second) {
                Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kLeftOutOption,
                    "*UIConstraints leaves out an option word: it ties " + Shown(k1) + " to " + Shown(k2) +
                        " but can forbid nothing");
            }
        } else if (!features[0]->installable() && installableSecond && tiedPairs_.count(PairKey(k2, k1)) == 0) {
            Add(c.line, PpdSeverity::kInfo, PpdFindingCode::kOneWayConstraint,
                "*UIConstraints leaves out an option word and names the installable feature " + Shown(k2) +
                    " second: the plug-in never uses it");
        }
        return;
    }
    if (!features[0]->installable() && installableSecond && constraintKeys_.count(ConstraintKey(k2, o2, k1, o1)) == 0) {
        Add(c.line, PpdSeverity::kWarning, PpdFindingCode::kOneWayConstraint,
            "*UIConstraints " + Shown(k1) + " " + Shown(o1) + " " + Shown(k2) + " " + Shown(o2) +
                " names the installable feature second, which the plug-in never matches, and its mirror " + Shown(k2) +
                " " + Shown(o2) + " " + Shown(k1) + " " + Shown(o1) + " is missing");
    }
}

void ModelJudge::CheckSegments() {
    const bool doubleByte = scanned_.encoding == kCheckDoubleByteEncoding;
    for (const PendingSegment& segment : scanned_.segments) {
        const size_t kept = KeptSegmentUnits(segment.stored, doubleByte);
        Add(segment.line, PpdSeverity::kWarning, PpdFindingCode::kSegmentCut,
            segment.what + " is " + Number(segment.units) + " units long: the reader keeps " + Number(kept) +
                (kept < segment.stored.size()
                     ? ", as unit " + Number(kept + 1) + " is a lead byte whose trail byte is cut off,"
                     : "") +
                " and drops the rest");
    }
}

void ModelJudge::CheckTexts() {
    const bool doubleByte = scanned_.encoding == kCheckDoubleByteEncoding;
    for (const PendingText& text : scanned_.texts) {
        const size_t characters = CharacterCount(text.bytes, doubleByte);
        if (characters > kCheckTextCapacity) {
            Add(text.line, PpdSeverity::kWarning, PpdFindingCode::kTextCut,
                text.what + " is " + Number(characters) + " characters long: a text holds " +
                    Number(kCheckTextCapacity) + ", the rest is cut");
        }
    }
}

}  // namespace

std::vector<PpdFinding> JudgeScannedPpd(const ScannedPpd& scanned, int* stopLine) {
    ModelJudge judge(scanned);
    return judge.Judge(stopLine);
}
