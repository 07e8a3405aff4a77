// The findings judged from the scan's records: blocks the reader cuts or
// runs on, the colour-rendering item, shared translations, constraints the
// plug-in cannot use, texts too long for the reader's texts.
#pragma once

#include <vector>

#include "host/check/check_scan.h"
#include "host/check/ppd_check.h"

// The scan's own findings and these, in line order; *stopLine is the line
// where the reader stops, 0 when it reads to the end.
std::vector<PpdFinding> JudgeScannedPpd(const ScannedPpd& scanned, int* stopLine);
