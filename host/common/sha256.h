// SHA-256 of a byte block, as the manifest of a driver package lists it.
#pragma once

#include <stddef.h>

#include <string>

// The 64 lower-case hexadecimal digits of the digest.
std::string Sha256Hex(const void* data, size_t size);
