#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorbix {

// The SHA-256 digest of the bytes (FIPS 180-4) as 64 lower-case hexadecimal digits: how a
// settings file names the screen file and the picture it stands for.
std::string Sha256Hex(const std::vector<std::uint8_t>& bytes);
// The digest of a file's bytes; empty when it cannot be read.
std::string Sha256OfFile(const std::string& path);

}  // namespace vorbix
