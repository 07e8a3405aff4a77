// kxpsui-host --check: the PPD check as a command.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Checks each file in turn: findings to out, one per line; read errors, and
// with more than three files a "[N/TOTAL] PATH" progress line per file, to
// err. Returns 0 when every file is clean, 1 when there are findings, 2 when
// no file is given or a file cannot be read (the other files are still
// checked).
int RunPpdCheck(const std::vector<std::string>& paths, FILE* out, FILE* err);
