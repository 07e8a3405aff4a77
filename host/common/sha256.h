// SHA-256 (FIPS 180-4) of a byte block: how kxpsui-host tells a plug-in binary by
// its bytes, and how a driver package's manifest lists its files.
#pragma once

#include <stddef.h>

#include <string>

// The digest as 64 lower-case hexadecimal digits, by the processor's SHA
// instructions where it has them.
std::string Sha256Hex(const void* data, size_t size);
// The same by the portable rounds alone, so that both ways can be held to
// the standard's examples on any machine.
std::string Sha256HexPortable(const void* data, size_t size);
