// kxpsui-package OUTDIR PPD...: builds the driver package of the plug-in for
// the given PPDs, after checking every input, or refuses it whole.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Exit statuses.
constexpr int kPackageBuilt = 0;
constexpr int kPackageRefused = 1;     // a PPD, the plug-in or the package as a whole would misbehave
constexpr int kPackageUsageError = 2;  // a bad command line, an input that cannot be read, OUTDIR not writable
constexpr int kPackageInterrupted = 130;

// args excludes the program name; options may stand anywhere, "--" ends
// them. Errors go to err, one line each starting with "kxpsui-package: ";
// the line saying what was built goes to out. Returns the exit status.
int RunPackageCommand(const std::vector<std::string>& args, FILE* out, FILE* err);
