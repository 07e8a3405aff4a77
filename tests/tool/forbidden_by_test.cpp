// The setting the report names for each forbidden option: the one whose
// constraint decides the plug-in's mark, over a model built here.
#include <gtest/gtest.h>

#include "host/report/plugin_model.h"

namespace {

ModelFeature Feature(const char16_t* keyword, const char16_t* group, std::vector<const char16_t*> options,
                     const std::vector<const char16_t*>& marked) {
    ModelFeature feature{keyword, u"", u"", group, u"", 1, 0, {}};
    for (const char16_t* option : options) {
        bool constrained = false;
        for (const char16_t* mark : marked) {
            constrained = constrained || std::u16string(mark) == option;
        }
        feature.options.push_back({option, u"", constrained});
    }
    return feature;
}

std::vector<std::string> Describe(const std::vector<ForbiddenOptions>& forbidden) {
    std::vector<std::string> lines;
    for (const ForbiddenOptions& entry : forbidden) {
        for (size_t i = 0; i < entry.options.size(); ++i) {
            const std::string& keyword = entry.decidedBy.at(i).first;
            lines.push_back(entry.feature + " " + entry.options[i] + " by " +
                            (keyword.empty() ? "nothing" : keyword + " " + entry.decidedBy[i].second));
        }
    }
    return lines;
}

}  // namespace

TEST(ForbiddenBy, TheLastSettingTiedToTheFeatureDecides) {
    const struct {
        const char* what;
        std::vector<std::vector<std::u16string>> constraints;
        std::vector<const char16_t*> marked;  // options of *InputSlot the model marks
        std::vector<std::string> expected;
    } rows[] = {
        {"one setting forbids",
         {{u"*KXTrayUnit", u"One", u"*InputSlot", u"Tray2"}},
         {u"Tray2"},
         {"*InputSlot Tray2 by *KXTrayUnit One"}},
        {"both forbid: the later setting in list order",
         {{u"*KXTrayUnit", u"One", u"*InputSlot", u"Manual"}, {u"*KXFeeder", u"False", u"*InputSlot", u"Manual"}},
         {u"Manual"},
         {"*InputSlot Manual by *KXFeeder False"}},
        {"both forbid, the later setting's constraint first: still the later setting",
         {{u"*KXFeeder", u"False", u"*InputSlot", u"Manual"}, {u"*KXTrayUnit", u"One", u"*InputSlot", u"Manual"}},
         {u"Manual"},
         {"*InputSlot Manual by *KXFeeder False"}},
        {"the deciding setting's value forbids nothing: a mark no constraint explains",
         {{u"*KXTrayUnit", u"One", u"*InputSlot", u"Tray3"}, {u"*KXFeeder", u"True", u"*InputSlot", u"Tray3"}},
         {u"Tray3"},
         {"*InputSlot Tray3 by nothing"}},
        {"written the other way about, or in another case: no setting",
         {{u"*InputSlot", u"Tray2", u"*KXTrayUnit", u"One"}, {u"*KXTrayUnit", u"one", u"*InputSlot", u"Tray2"}},
         {u"Tray2"},
         {"*InputSlot Tray2 by nothing"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ModelSnapshot model;
        model.present = true;
        model.features = {Feature(u"*KXTrayUnit", u"InstallableOptions", {u"One", u"Two"}, {}),
                          Feature(u"*KXFeeder", u"InstallableOptions", {u"True", u"False"}, {}),
                          Feature(u"*InputSlot", u"General", {u"Tray1", u"Tray2", u"Tray3", u"Manual"}, row.marked)};
        model.installables = {{u"*KXTrayUnit", u"One"}, {u"*KXFeeder", u"False"}};
        model.constraints = row.constraints;
        EXPECT_EQ(row.expected, Describe(ForbiddenOptionsOf(model)));
    }
}
