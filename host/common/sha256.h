// SHA-256 (FIPS 180-4) of a byte block, for telling a binary by its bytes.
#pragma once

#include <stddef.h>

#include <string>

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const void* data, size_t size);
