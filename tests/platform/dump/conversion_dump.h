// Conversions of every byte, every lead/trail byte pair and every UTF-16
// unit through the platform's code page routines, and msvcrt's digits and
// blanks for wcstol, as text, one case a line.
// The Windows build writes it under Wine; the Linux build compares its own.
#pragma once

#include <string>

std::string ConversionDump();
