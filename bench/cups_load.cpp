#include <cups/ppd.h>

#include "bench/bench_loads.h"

int32_t LoadWithCups(const std::string& path) {
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (ppd == nullptr) {
        return -1;
    }
    ppdMarkDefaults(ppd);
    const int32_t conflicts = ppdConflicts(ppd);
    ppdClose(ppd);
    return conflicts;
}
