#include "io/tape_sound.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vorbix {

namespace {

constexpr double kOneHz = 2577;
constexpr double kZeroHz = 1812;
constexpr double kLeaderHz = 2128;
constexpr double kSyncHz = 1359;
constexpr int kHeaderLeaderCycles = 10240;
constexpr int kDataLeaderCycles = 5120;
constexpr int kTrailerCycles = 5;
constexpr double kSilenceSeconds = 1;

constexpr int kCasProgramHeader = 0x80;  // 16 bytes LOAD keeps: type, length, autostart
constexpr int kCasProgramStart = 0x90;
constexpr int kSectorBytes = 256;

// The ROM's block CRC: bit-serial, each byte's bits least significant first.
class Crc {
public:
    void Add(std::uint8_t byte) {
        for (int i = 0; i < 8; ++i, byte >>= 1) {
            const int feedback = ((byte & 1) ? 0x80 : 0x00) ^ (crc_ >> 8);
            if (feedback & 0x80) crc_ ^= 0x0810;
            crc_ = static_cast<std::uint16_t>((crc_ << 1) + ((feedback & 0x80) ? 1 : 0));
        }
    }
    std::uint16_t Value() const { return crc_; }

private:
    std::uint16_t crc_ = 0;
};

// The bytes of a block as they follow its sync cycle, with the CRCs the sectors need.
class BlockBytes {
public:
    void Add(std::uint8_t byte) {
        bytes.push_back(byte);
        crc_.Add(byte);
    }
    // Ends a sector: its CRC, low byte first; the next one counts afresh.
    void CloseSector() {
        const std::uint16_t crc = crc_.Value();
        bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        crc_ = Crc();
    }
    std::vector<std::uint8_t> bytes;

private:
    Crc crc_;
};

constexpr std::uint8_t kHeaderBlock = 0xFF;
constexpr std::uint8_t kDataBlock = 0x00;

void BlockStart(BlockBytes& block, std::uint8_t type, std::uint8_t protection, int sectors) {
    for (std::uint8_t byte : {std::uint8_t{0x00}, std::uint8_t{0x6A}, type, std::uint8_t{0x11}, protection})
        block.Add(byte);
    block.Add(static_cast<std::uint8_t>(sectors));
}

// A file without a name: one sector with the 16 program header bytes.
BlockBytes HeaderBlock(std::span<const std::uint8_t> cas) {
    BlockBytes block;
    BlockStart(block, kHeaderBlock, cas[1], 1);
    const std::span<const std::uint8_t> header = cas.subspan(kCasProgramHeader, 16);
    block.Add(0x00);
    block.Add(static_cast<std::uint8_t>(1 + header.size()));  // the name's length byte and the header
    block.Add(0);                                            // no name
    for (std::uint8_t byte : header) block.Add(byte);
    block.Add(0x00);
    block.CloseSector();
    return block;
}

BlockBytes DataBlock(std::span<const std::uint8_t> cas) {
    const std::span<const std::uint8_t> program = cas.subspan(kCasProgramStart);
    const int sectors = static_cast<int>((program.size() + kSectorBytes - 1) / kSectorBytes);
    BlockBytes block;
    BlockStart(block, kDataBlock, cas[1], sectors);
    for (int s = 0; s < sectors; ++s) {
        const std::span<const std::uint8_t> bytes =
            program.subspan(s * kSectorBytes, std::min<std::size_t>(kSectorBytes, program.size() - s * kSectorBytes));
        block.Add(static_cast<std::uint8_t>(s + 1));
        block.Add(static_cast<std::uint8_t>(bytes.size() & 0xFF));  // 0: 256
        for (std::uint8_t byte : bytes) block.Add(byte);
        block.Add(s + 1 == sectors ? 0xFF : 0x00);
        block.CloseSector();
    }
    return block;
}

void Cycles(std::vector<TapeStretch>& signal, double hz, int count) {
    signal.insert(signal.end(), count, TapeStretch{1 / hz, false});
}

void Block(std::vector<TapeStretch>& signal, const BlockBytes& block, int leaderCycles) {
    Cycles(signal, kLeaderHz, leaderCycles);
    Cycles(signal, kSyncHz, 1);
    for (std::uint8_t byte : block.bytes)
        for (int bit = 0; bit < 8; ++bit) Cycles(signal, (byte >> bit) & 1 ? kOneHz : kZeroHz, 1);
    Cycles(signal, kLeaderHz, kTrailerCycles);
    signal.push_back({kSilenceSeconds, true});
}

}  // namespace

std::vector<TapeStretch> TapeSignal(std::span<const std::uint8_t> cas) {
    std::vector<TapeStretch> signal{{kSilenceSeconds, true}};
    if (cas.size() < kCasProgramStart) return signal;
    Block(signal, HeaderBlock(cas), kHeaderLeaderCycles);
    Block(signal, DataBlock(cas), kDataLeaderCycles);
    return signal;
}

double TapeSeconds(std::span<const std::uint8_t> cas) {
    const std::vector<TapeStretch> signal = TapeSignal(cas);
    return std::accumulate(signal.begin(), signal.end(), 0.0,
                           [](double sum, const TapeStretch& s) { return sum + s.seconds; });
}

std::vector<std::uint8_t> EncodeTapeWav(std::span<const std::uint8_t> cas) {
    constexpr std::uint8_t kSilence = 0x80, kHigh = 0xC0, kLow = 0x40;
    std::vector<std::uint8_t> samples;
    // Each edge falls on the sample nearest its time, so no error builds up over a minute.
    double time = 0;
    const auto until = [&](double seconds, std::uint8_t level) {
        const auto end = static_cast<std::size_t>(std::llround(seconds * kTapeSampleRate));
        if (end > samples.size()) samples.resize(end, level);
    };
    for (const TapeStretch& stretch : TapeSignal(cas)) {
        if (stretch.silent) {
            until(time + stretch.seconds, kSilence);
        } else {
            until(time + stretch.seconds / 2, kHigh);
            until(time + stretch.seconds, kLow);
        }
        time += stretch.seconds;
    }

    const auto dataBytes = static_cast<std::uint32_t>(samples.size());
    constexpr std::size_t kWavHeaderBytes = 44;
    // Chunks keep to even lengths.
    std::vector<std::uint8_t> wav(kWavHeaderBytes + dataBytes + (dataBytes & 1), 0);
    std::size_t at = 0;
    const auto text = [&](const char* four) {
        for (int i = 0; i < 4; ++i) wav[at++] = static_cast<std::uint8_t>(four[i]);
    };
    const auto le = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav[at++] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    text("RIFF");
    le(36 + dataBytes + (dataBytes & 1), 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(1, 2);  // PCM
    le(1, 2);  // mono
    le(kTapeSampleRate, 4);
    le(kTapeSampleRate, 4);  // bytes a second
    le(1, 2);                // bytes a sample
    le(8, 2);                // bits a sample
    text("data");
    le(dataBytes, 4);
    std::copy(samples.begin(), samples.end(), wav.begin() + kWavHeaderBytes);
    return wav;
}

}  // namespace vorbix
