// kxpsui-host --check: the PPD check as a command, for people (one line per
// finding and a summary line) and for CI (one JSON document, exit statuses).
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Runs the check for kxpsui-host's whole argument list (program name
// excluded), in which --check stands somewhere: options anywhere in it are
// options, and "--" makes the rest paths. Findings, the summary line and the
// JSON go to out; "kxpsui-host: ..." error lines, and with more than three
// files a "[N/TOTAL] PATH" progress line per file, to err. Returns 0 when no
// file has a warning or an error, 1 when one has, 2 on a usage error, when a
// file cannot be read (the other files are still checked) or when out cannot
// be written.
int RunCheckCommand(const std::vector<std::string>& args, FILE* out, FILE* err);
