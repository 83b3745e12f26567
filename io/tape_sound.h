#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vorbix {

// The sound of a program file on tape, as the TVC's cassette LOAD reads it: a second of
// silence, the header block, a second of silence, the data block, a second of silence. A block
// is a leader tone, one sync cycle, then its bytes, least significant bit first, one square-wave
// cycle a bit (a 1 shorter than a 0), in sectors of up to 256 bytes each closed by a CRC.

// One stretch of the sound: a full square-wave cycle, or silence.
struct TapeStretch {
    double seconds = 0;
    bool silent = false;
};

// The sound of a .cas file (its header's 16 program bytes at 80h and the program from 90h on).
std::vector<TapeStretch> TapeSignal(std::span<const std::uint8_t> cas);

// How long the sound lasts: the time the machine takes to load the file from tape.
double TapeSeconds(std::span<const std::uint8_t> cas);

// The sound as a WAV file: 44,100 Hz, 8-bit mono, a square wave.
std::vector<std::uint8_t> EncodeTapeWav(std::span<const std::uint8_t> cas);

inline constexpr int kTapeSampleRate = 44100;

}  // namespace vorbix
