#include "tests/cups/cups_oracle.h"

#include <cups/ppd.h>

namespace {

void CopyFeature(const ppd_option_t& option, const char* groupName, std::vector<OracleFeature>* out) {
    OracleFeature feature;
    feature.keyword = option.keyword;
    feature.text = option.text;
    feature.defaultChoice = option.defchoice;
    feature.groupName = groupName;
    feature.jclSection = option.section == PPD_ORDER_JCL;
    for (int i = 0; i < option.num_choices; ++i) {
        feature.choices.push_back(OracleChoice{option.choices[i].choice, option.choices[i].text});
    }
    out->push_back(feature);
}

void CopyGroup(const ppd_group_t& group, std::vector<OracleFeature>* out) {
    for (int i = 0; i < group.num_options; ++i) {
        CopyFeature(group.options[i], group.name, out);
    }
    for (int i = 0; i < group.num_subgroups; ++i) {
        CopyGroup(group.subgroups[i], out);
    }
}

}  // namespace

OracleReading ReadWithCups(const std::string& path) {
    OracleReading reading;
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (ppd == nullptr) {
        int line = 0;
        const ppd_status_t status = ppdLastError(&line);
        reading.error = std::string(ppdErrorString(status)) + " at line " + std::to_string(line);
        return reading;
    }
    reading.opened = true;
    for (int i = 0; i < ppd->num_groups; ++i) {
        CopyGroup(ppd->groups[i], &reading.features);
    }
    for (int i = 0; i < ppd->num_consts; ++i) {
        const ppd_const_t& c = ppd->consts[i];
        reading.constraints.push_back(OracleConstraint{c.option1, c.choice1, c.option2, c.choice2});
    }
    ppdClose(ppd);
    return reading;
}
