#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/tvc.h"

namespace vorbix {

// Just enough of a Z80 and of the TVC's paging, ports and interrupt to run a program file's
// code, counting T-states as the Z80's manual gives them. An interrupt is taken after every
// instruction while enabled, as the ROM's would come at any moment: it writes the paging copy
// back to port 02h and the border byte to port 00h. The instructions the programs use are
// known; any other stops the run with a fault naming it.
class TvcMachine {
public:
    static constexpr std::uint8_t kStartMode = 0xB5;  // mode 1 with other bits set that must survive
    static constexpr std::uint8_t kStartBorder = 0x2A;
    static constexpr int kStack = 0xB000;             // in the page the video memory replaces
    static constexpr double kClockHz = 3'125'000;
    static constexpr ColourBytes kBasicPalette{0x00, 0x50, 0x44, 0x41};

    // A program file as LOAD leaves it: its program bytes at 19EFh, BASIC's pages, mode, border
    // and palette set, the video memory filled with EEh.
    explicit TvcMachine(const std::vector<std::uint8_t>& casFile);

    struct Snapshot {
        ScreenImage video;
        std::array<std::uint8_t, 256> ports;
        std::uint8_t modeCopy, borderByte;
        long long tStates;  // from the call to the key wait
    };
    std::optional<Snapshot> atKeyWait;

    // Calls address and runs until the matching RET; empty when all went as it should, else
    // what went wrong (an unknown instruction, a runaway, a second key wait, ...).
    std::string Call(int address);

    std::uint8_t Read(int address) const;
    void Write(int address, std::uint8_t value);

    const ScreenImage& Video() const { return video_; }
    const std::array<std::uint8_t, 256>& Ports() const { return ports_; }
    bool Interrupts() const { return interrupts_; }
    int HL() const { return Pair(h_, l_); }
    long long TStates() const { return tStates_; }
    // RAM below the video window (where the program and BASIC live), but for the ranges of
    // bytes [from, to) a program keeps for itself.
    bool LowRamUnchangedBut(const std::vector<std::pair<int, int>>& scratch = {}) const;

private:
    int Fetch() { return Read(pc_++); }
    int FetchWord();
    void Push(int word);
    int Pop();
    std::string Step();  // empty, or the fault

    static int Pair(std::uint8_t high, std::uint8_t low) { return high << 8 | low; }
    // BC DE HL SP, or AF in place of SP for PUSH and POP, by the opcode's 2-bit field.
    int GetPair(int code, bool withAf = false) const;
    void SetPair(int code, int value, bool withAf = false);
    // B C D E H L (HL) A by the opcode's 3-bit field.
    std::uint8_t GetRegister(int code) const;
    void SetRegister(int code, std::uint8_t value);
    bool Condition(int code) const;  // NZ Z NC C by the opcode's field

    std::array<std::uint8_t, 0x10000> ram_{};
    std::array<std::uint8_t, 0x10000> ramBefore_{};
    ScreenImage video_{};
    std::array<std::uint8_t, 256> ports_{};
    std::uint8_t a_ = 0, b_ = 0, c_ = 0, d_ = 0, e_ = 0, h_ = 0, l_ = 0;
    bool carry_ = false, zero_ = false;
    int sp_ = 0, pc_ = 0;
    bool interrupts_ = true;
    long long tStates_ = 0;
};

}  // namespace vorbix
