#include "tests/tvc_machine.h"

#include <algorithm>

namespace vorbix {

namespace {

constexpr int kProgramStart = 0x90;  // in the .cas file
constexpr int kLoadAddress = 0x19EF;
constexpr int kVideoFrom = 0x8000, kVideoTo = 0xC000;
constexpr int kPagingCopy = 0x0003, kModeCopy = 0x0B13, kBorderByte = 0x0B4F;
constexpr std::uint8_t kBasicPages = 0x70, kVideoPages = 0x50;
constexpr int kReturnMarker = 0xFFFF;
constexpr long long kMaxSteps = 5'000'000;

std::string Hex(int value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 15];
    return text + "h";
}

}  // namespace

TvcMachine::TvcMachine(const std::vector<std::uint8_t>& casFile) {
    std::copy(casFile.begin() + kProgramStart, casFile.end(), ram_.begin() + kLoadAddress);
    ram_[kPagingCopy] = kBasicPages;
    ram_[kModeCopy] = kStartMode;
    ram_[kBorderByte] = kStartBorder;
    ports_[0x02] = kBasicPages;
    ports_[0x06] = kStartMode;
    for (int i = 0; i < 4; ++i) ports_[0x60 + i] = kBasicPalette[i];
    video_.fill(0xEE);
    ramBefore_ = ram_;
}

std::uint8_t TvcMachine::Read(int address) const {
    address &= 0xFFFF;
    if (address >= kVideoFrom && address < kVideoTo && ports_[0x02] == kVideoPages) return video_[address - kVideoFrom];
    return ram_[address];
}

void TvcMachine::Write(int address, std::uint8_t value) {
    address &= 0xFFFF;
    if (address >= kVideoFrom && address < kVideoTo && ports_[0x02] == kVideoPages)
        video_[address - kVideoFrom] = value;
    else
        ram_[address] = value;
}

bool TvcMachine::LowRamUnchangedBut(const std::vector<std::pair<int, int>>& scratch) const {
    for (int address = 0; address < kVideoFrom; ++address) {
        const bool kept = std::any_of(scratch.begin(), scratch.end(),
                                      [&](const auto& range) { return address >= range.first && address < range.second; });
        if (ram_[address] != ramBefore_[address] && !kept) return false;
    }
    return true;
}

std::string TvcMachine::Call(int address) {
    sp_ = kStack;
    Push(kReturnMarker);
    pc_ = address;
    tStates_ = 0;
    for (long long steps = 0; pc_ != kReturnMarker; ++steps) {
        if (steps == kMaxSteps) return "runaway code at " + Hex(pc_);
        if (ports_[0x02] != kBasicPages && ports_[0x02] != kVideoPages) return "unknown paging " + Hex(ports_[0x02]);
        if (std::string fault = Step(); !fault.empty()) return fault;
        if (interrupts_) {
            // What the ROM's interrupt does to the machine, its return address pushed as well.
            Write(sp_ - 1, static_cast<std::uint8_t>(pc_ >> 8));
            Write(sp_ - 2, static_cast<std::uint8_t>(pc_));
            ports_[0x02] = ram_[kPagingCopy];
            ports_[0x00] = ram_[kBorderByte];
        }
    }
    if (sp_ != kStack) return "the stack is off by " + std::to_string(sp_ - kStack);
    return {};
}

int TvcMachine::FetchWord() {
    const int low = Fetch();
    return low | Fetch() << 8;
}

void TvcMachine::Push(int word) {
    Write(--sp_, static_cast<std::uint8_t>(word >> 8));
    Write(--sp_, static_cast<std::uint8_t>(word));
    sp_ &= 0xFFFF;
}

int TvcMachine::Pop() {
    const int low = Read(sp_++);
    const int word = low | Read(sp_++) << 8;
    sp_ &= 0xFFFF;
    return word;
}

int TvcMachine::GetPair(int code, bool withAf) const {
    switch (code) {
        case 0: return Pair(b_, c_);
        case 1: return Pair(d_, e_);
        case 2: return Pair(h_, l_);
        default: return withAf ? Pair(a_, static_cast<std::uint8_t>((zero_ ? 0x40 : 0) | (carry_ ? 0x01 : 0))) : sp_;
    }
}

void TvcMachine::SetPair(int code, int value, bool withAf) {
    const auto high = static_cast<std::uint8_t>(value >> 8), low = static_cast<std::uint8_t>(value);
    switch (code) {
        case 0: b_ = high, c_ = low; break;
        case 1: d_ = high, e_ = low; break;
        case 2: h_ = high, l_ = low; break;
        default:
            if (withAf)
                a_ = high, zero_ = (low & 0x40) != 0, carry_ = (low & 0x01) != 0;
            else
                sp_ = value & 0xFFFF;
    }
}

std::uint8_t TvcMachine::GetRegister(int code) const {
    switch (code) {
        case 0: return b_;
        case 1: return c_;
        case 2: return d_;
        case 3: return e_;
        case 4: return h_;
        case 5: return l_;
        case 6: return Read(Pair(h_, l_));
        default: return a_;
    }
}

void TvcMachine::SetRegister(int code, std::uint8_t value) {
    switch (code) {
        case 0: b_ = value; break;
        case 1: c_ = value; break;
        case 2: d_ = value; break;
        case 3: e_ = value; break;
        case 4: h_ = value; break;
        case 5: l_ = value; break;
        case 6: Write(Pair(h_, l_), value); break;
        default: a_ = value;
    }
}

bool TvcMachine::Condition(int code) const {
    switch (code) {
        case 0: return !zero_;
        case 1: return zero_;
        case 2: return !carry_;
        default: return carry_;
    }
}

std::string TvcMachine::Step() {
    const int at = pc_;
    const int op = Fetch();
    const int y = (op >> 3) & 7, z = op & 7, p = (op >> 4) & 3;
    const auto unknown = [&](int code) { return "unexpected instruction " + Hex(code) + " at " + Hex(at); };

    if (op >= 0x40 && op < 0x80 && op != 0x76) {  // LD r,r'
        SetRegister(y, GetRegister(z));
        tStates_ += (y == 6 || z == 6) ? 7 : 4;
        return {};
    }
    if ((op & 0xCF) == 0x01) {  // LD rr,nn
        SetPair(p, FetchWord());
        tStates_ += 10;
        return {};
    }
    if ((op & 0xCF) == 0x03) {  // INC rr
        SetPair(p, (GetPair(p) + 1) & 0xFFFF);
        tStates_ += 6;
        return {};
    }
    if ((op & 0xCF) == 0x09) {  // ADD HL,rr
        const int sum = Pair(h_, l_) + GetPair(p);
        carry_ = sum > 0xFFFF;
        SetPair(2, sum & 0xFFFF);
        tStates_ += 11;
        return {};
    }
    if ((op & 0xC7) == 0x04) {  // INC r: carry stays
        const auto value = static_cast<std::uint8_t>(GetRegister(y) + 1);
        SetRegister(y, value);
        zero_ = value == 0;
        tStates_ += y == 6 ? 11 : 4;
        return {};
    }
    if ((op & 0xC7) == 0x06) {  // LD r,n
        SetRegister(y, static_cast<std::uint8_t>(Fetch()));
        tStates_ += y == 6 ? 10 : 7;
        return {};
    }
    if (op >= 0x80 && op < 0x88) {  // ADD A,r
        const int sum = a_ + GetRegister(z);
        a_ = static_cast<std::uint8_t>(sum);
        carry_ = sum > 0xFF, zero_ = a_ == 0;
        tStates_ += z == 6 ? 7 : 4;
        return {};
    }
    if ((op & 0xCF) == 0xC1 || (op & 0xCF) == 0xC5) {  // POP rr, PUSH rr
        if (op & 4) {
            Push(GetPair(p, true));
            tStates_ += 11;
        } else {
            SetPair(p, Pop(), true);
            tStates_ += 10;
        }
        return {};
    }
    if ((op & 0xE7) == 0x20) {  // JR cc,e
        const auto jump = static_cast<std::int8_t>(Fetch());
        const bool taken = Condition(y - 4);
        if (taken) pc_ = (pc_ + jump) & 0xFFFF;
        tStates_ += taken ? 12 : 7;
        return {};
    }
    if ((op & 0xE7) == 0xC0) {  // RET cc
        const bool taken = Condition(y);
        if (taken) pc_ = Pop();
        tStates_ += taken ? 11 : 5;
        return {};
    }
    if ((op & 0xE7) == 0xC4) {  // CALL cc,nn
        const int target = FetchWord();
        const bool taken = Condition(y);
        if (taken) Push(pc_), pc_ = target;
        tStates_ += taken ? 17 : 10;
        return {};
    }
    switch (op) {
        case 0x17: {  // RLA
            const bool out = (a_ & 0x80) != 0;
            a_ = static_cast<std::uint8_t>(a_ << 1 | (carry_ ? 1 : 0));
            carry_ = out;
            tStates_ += 4;
            return {};
        }
        case 0x18: {  // JR e
            const auto jump = static_cast<std::int8_t>(Fetch());
            pc_ = (pc_ + jump) & 0xFFFF;
            tStates_ += 12;
            return {};
        }
        case 0x32: Write(FetchWord(), a_), tStates_ += 13; return {};  // LD (nn),A
        case 0x3A: a_ = Read(FetchWord()), tStates_ += 13; return {};  // LD A,(nn)
        case 0xE6: a_ &= Fetch(), zero_ = a_ == 0, carry_ = false, tStates_ += 7; return {};
        case 0xF6: a_ |= Fetch(), zero_ = a_ == 0, carry_ = false, tStates_ += 7; return {};
        case 0xD3: ports_[Fetch()] = a_, tStates_ += 11; return {};  // OUT (n),A
        case 0xF3: interrupts_ = false, tStates_ += 4; return {};
        case 0xFB: interrupts_ = true, tStates_ += 4; return {};
        case 0xC9: pc_ = Pop(), tStates_ += 10; return {};
        case 0xCD: {  // CALL nn
            const int target = FetchWord();
            Push(pc_);
            pc_ = target;
            tStates_ += 17;
            return {};
        }
        case 0xE3: {  // EX (SP),HL
            const int top = Read(sp_) | Read(sp_ + 1) << 8;
            Write(sp_, l_);
            Write(sp_ + 1, h_);
            SetPair(2, top);
            tStates_ += 19;
            return {};
        }
        case 0xF7: {  // RST 30h: the ROM service named by the next byte
            const int service = Fetch();
            if (service != 0x91) return "unknown ROM service " + Hex(service) + " at " + Hex(at);
            if (!interrupts_) return "the key wait needs interrupts";
            if (atKeyWait) return "a second key wait";
            tStates_ += 11;
            atKeyWait = Snapshot{video_, ports_, ram_[kModeCopy], ram_[kBorderByte], tStates_};
            a_ = 0x20, b_ = 0x12, c_ = 0x34, d_ = 0x56, e_ = 0x78, h_ = 0x9A, l_ = 0xBC;  // the service keeps none
            carry_ = zero_ = false;
            return {};
        }
        case 0xCB: {
            const int cb = Fetch();
            const int r = cb & 7;
            const std::uint8_t value = GetRegister(r);
            std::uint8_t result;
            if ((cb & 0xF8) == 0x10)  // RL r
                result = static_cast<std::uint8_t>(value << 1 | (carry_ ? 1 : 0)), carry_ = (value & 0x80) != 0;
            else if ((cb & 0xF8) == 0x18)  // RR r
                result = static_cast<std::uint8_t>(value >> 1 | (carry_ ? 0x80 : 0)), carry_ = (value & 1) != 0;
            else
                return unknown(0xCB00 | cb);
            SetRegister(r, result);
            zero_ = result == 0;
            tStates_ += r == 6 ? 15 : 8;
            return {};
        }
        case 0xED: {
            const int ed = Fetch();
            if (ed == 0xB0) {  // LDIR
                do {
                    Write(Pair(d_, e_), Read(Pair(h_, l_)));
                    SetPair(2, (Pair(h_, l_) + 1) & 0xFFFF);
                    SetPair(1, (Pair(d_, e_) + 1) & 0xFFFF);
                    SetPair(0, (Pair(b_, c_) - 1) & 0xFFFF);
                    tStates_ += 21;
                } while (Pair(b_, c_) != 0);
                tStates_ -= 5;
                return {};
            }
            if (ed == 0x73 || ed == 0x7B) {  // LD (nn),SP / LD SP,(nn)
                const int address = FetchWord();
                if (ed == 0x73)
                    Write(address, static_cast<std::uint8_t>(sp_)), Write(address + 1, static_cast<std::uint8_t>(sp_ >> 8));
                else
                    sp_ = Read(address) | Read(address + 1) << 8;
                tStates_ += 20;
                return {};
            }
            return unknown(0xED00 | ed);
        }
        default: return unknown(op);
    }
}

}  // namespace vorbix
