#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "io/cas_file.h"
#include "io/tape_sound.h"

namespace vorbix {
namespace {

// The block CRC as a textbook CRC-16 (polynomial 1021h, starting at 0), bits least significant first.
std::uint16_t Crc16(const std::vector<std::uint8_t>& bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t byte : bytes)
        for (int bit = 0; bit < 8; ++bit) {
            const bool feedback = (((byte >> bit) & 1) != 0) != ((crc & 0x8000) != 0);
            crc = static_cast<std::uint16_t>(crc << 1 ^ (feedback ? 0x1021 : 0));
        }
    return crc;
}

// A listener for the sound: the lengths of its cycles, told apart as the ROM does, and the
// bytes of each block behind its sync cycle.
struct Heard {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<int> leaderCycles;
    double leadingSilence = 0, trailingSilence = 0;
};

Heard Listen(const std::vector<std::uint8_t>& wav) {
    const std::vector<std::uint8_t> samples(wav.begin() + 44, wav.end());
    Heard heard;
    const auto firstSound = std::find_if(samples.begin(), samples.end(), [](std::uint8_t s) { return s != 0x80; });
    const auto lastSound = std::find_if(samples.rbegin(), samples.rend(), [](std::uint8_t s) { return s != 0x80; });
    heard.leadingSilence = static_cast<double>(firstSound - samples.begin()) / kTapeSampleRate;
    heard.trailingSilence = static_cast<double>(lastSound - samples.rbegin()) / kTapeSampleRate;
    // Each cycle starts where the level rises.
    std::vector<std::size_t> rises;
    for (std::size_t i = 1; i < samples.size(); ++i)
        if (samples[i] > 0x80 && samples[i - 1] <= 0x80) rises.push_back(i);
    std::vector<std::uint8_t>* block = nullptr;
    int bits = 0, leader = 0;
    std::uint8_t byte = 0;
    for (std::size_t k = 1; k < rises.size(); ++k) {
        const double hz = kTapeSampleRate / static_cast<double>(rises[k] - rises[k - 1]);
        if (hz < 1000) {  // silence between blocks
            block = nullptr, leader = 0;
        } else if (hz < 1600) {  // sync
            heard.leaderCycles.push_back(leader);
            heard.blocks.emplace_back();
            block = &heard.blocks.back(), bits = 0, byte = 0;
        } else if (!block) {
            if (hz > 1970 && hz < 2350) ++leader;
        } else {
            byte |= static_cast<std::uint8_t>((hz > 2350 ? 1 : 0) << bits);  // a one is shorter than a zero
            if (++bits == 8) block->push_back(byte), bits = 0, byte = 0;
        }
    }
    return heard;
}

std::vector<std::uint8_t> SmallProgram() {
    ScreenImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 % 256);
    return BuildCasProgram(TvcMode::Graphics4, image, {0x00, 0x55, 0x41, 0x44}, CasPacking::Raw);
}

TEST(TapeSound, HeaderAndDataBlocksCarryTheProgramWithTheirCrcs) {
    const std::vector<std::uint8_t> cas = SmallProgram();
    const Heard heard = Listen(EncodeTapeWav(cas));
    ASSERT_EQ(heard.blocks.size(), 2u);
    EXPECT_NEAR(heard.leadingSilence, 1.0, 0.01);
    EXPECT_NEAR(heard.trailingSilence, 1.0, 0.01);
    EXPECT_NEAR(heard.leaderCycles[0], 10240, 2);
    EXPECT_NEAR(heard.leaderCycles[1], 5120, 2);

    // Header: 00 6A FF 11, protection, one sector 00, length, no name, the 16 bytes at 80h, 00, CRC.
    const std::vector<std::uint8_t>& header = heard.blocks[0];
    std::vector<std::uint8_t> expected{0x00, 0x6A, 0xFF, 0x11, 0x00, 0x01, 0x00, 17, 0};
    expected.insert(expected.end(), cas.begin() + 0x80, cas.begin() + 0x90);
    expected.push_back(0x00);
    const std::uint16_t headerCrc = Crc16(expected);
    expected.push_back(static_cast<std::uint8_t>(headerCrc & 0xFF));
    expected.push_back(static_cast<std::uint8_t>(headerCrc >> 8));
    ASSERT_GE(header.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), header.begin()));

    // Data: 00 6A 00 11, protection, sector count, then numbered sectors of 256 (length byte 0)
    // and a short last one, each with its end flag and a CRC counted afresh.
    const std::vector<std::uint8_t> program(cas.begin() + 0x90, cas.end());
    const std::vector<std::uint8_t>& data = heard.blocks[1];
    const int sectors = static_cast<int>((program.size() + 255) / 256);
    ASSERT_GE(data.size(), 6u);
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + 6),
              (std::vector<std::uint8_t>{0x00, 0x6A, 0x00, 0x11, 0x00, static_cast<std::uint8_t>(sectors)}));
    std::size_t at = 6, crcFrom = 0;
    for (int s = 1; s <= sectors; ++s) {
        SCOPED_TRACE(s);
        const std::size_t length = std::min<std::size_t>(256, program.size() - (s - 1) * 256);
        ASSERT_LE(at + 2 + length + 3, data.size());
        EXPECT_EQ(data[at], s);
        EXPECT_EQ(data[at + 1], length & 0xFF);
        EXPECT_TRUE(std::equal(program.begin() + (s - 1) * 256, program.begin() + (s - 1) * 256 + length,
                               data.begin() + at + 2));
        EXPECT_EQ(data[at + 2 + length], s == sectors ? 0xFF : 0x00);
        const std::size_t crcAt = at + 3 + length;
        const std::uint16_t crc = Crc16(std::vector<std::uint8_t>(data.begin() + crcFrom, data.begin() + crcAt));
        EXPECT_EQ(data[crcAt] | data[crcAt + 1] << 8, crc);
        at = crcFrom = crcAt + 2;
    }
}

TEST(TapeSound, IsAPlainWavFileAsLongAsTheLoadTakes) {
    const std::vector<std::uint8_t> cas = SmallProgram();
    const std::vector<std::uint8_t> wav = EncodeTapeWav(cas);
    const auto word = [&](int at) { return wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 | wav[at + 3] << 24; };
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(word(4), static_cast<int>(wav.size()) - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(word(24), 44100);
    EXPECT_EQ(wav[22], 1) << "mono";
    EXPECT_EQ(wav[34], 8) << "bits a sample";
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    const double seconds = TapeSeconds(cas);
    EXPECT_NEAR(word(40) / 44100.0, seconds, 0.001);
    // A 16.6 KB program takes about 72 s on the machine.
    EXPECT_GT(seconds, 68);
    EXPECT_LT(seconds, 78);
}

}  // namespace
}  // namespace vorbix
