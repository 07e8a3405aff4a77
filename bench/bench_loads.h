// The loads that the benchmarks time and kx_ppd_load measures, each from
// opening the file to releasing everything.
#pragma once

#include <stdint.h>

#include <string>

// This reader as the plug-in uses it: the stream opened in text mode, the
// document constructed (which ends with the first constraint pass), then
// destroyed. Returns the number of features, so that the work is used.
int32_t LoadWithReader(const std::string& path);

// CUPS: ppdOpenFile, ppdMarkDefaults, ppdConflicts, ppdClose. Returns the
// number of conflicts, or -1 when the file does not open.
int32_t LoadWithCups(const std::string& path);

// The floor: every byte read from the stream the reader gets (_wfopen in
// text mode) by the reader's own per-byte call, ReadFileByte, through a
// function pointer, until it returns -1. Returns the number of bytes read.
int64_t ReadEveryByte(const std::string& path);
// fgetc over a plain binary stream (fopen "rb"), for reference.
int64_t ReadEveryByteBinary(const std::string& path);
