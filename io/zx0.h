#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vorbix {

// ZX0 (Einar Saukas's LZ format, version 2, read forwards): the packed picture in a program file,
// chosen over other LZ formats of the 8-bit scene for its size on converted screens and a Z80
// unpacker of under 100 bytes. The stream is blocks of literals, copies with the last offset and
// copies with a new offset; lengths and offsets' high parts are interlaced Elias gamma codes in a
// bit stream that shares the bytes with the literals, and a new offset of 256·128 or more ends it.

// A short stream, found by an optimal parse of the block costs over offsets up to 2,176 (the
// Z80 unpacker takes up to 32,512). The format has no empty stream: no data gives no bytes.
std::vector<std::uint8_t> PackZx0(std::span<const std::uint8_t> data);

// The bytes a stream unpacks to, as the Z80 unpacker writes them; nothing when the stream is cut
// short, copies from before its start, holds a length the unpacker's 16-bit count cannot, or
// would unpack to more than limit bytes.
std::optional<std::vector<std::uint8_t>> UnpackZx0(std::span<const std::uint8_t> packed, std::size_t limit);

}  // namespace vorbix
