#include "io/zx0.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace vorbix {

namespace {

constexpr int kInitialOffset = 1;    // what "copy with the last offset" means before any offset came
constexpr int kOffsetLowBits = 7;    // the offset's low part travels in a byte beside one length bit
constexpr int kEndMarker = 256;      // an offset high part the unpacker's 8-bit count wraps to 0
constexpr int kMaxOffset = (kEndMarker - 1) << kOffsetLowBits;
constexpr std::uint32_t kMaxCount = 0xFFFF;  // the unpacker counts in BC
// How far back (34 screen rows) and how long the parse looks for copies: looking back over the
// whole screen packs converted screens less than 1 % better and takes several times as long.
constexpr int kSearchedOffsets = 2176;
constexpr int kSearchedLength = 1024;
static_assert(kSearchedOffsets <= kMaxOffset);

constexpr int GammaBits(int value) { return 2 * std::bit_width(static_cast<unsigned>(value)) - 1; }
constexpr int OffsetHigh(int offset) { return ((offset - 1) >> kOffsetLowBits) + 1; }
constexpr int OffsetLowByte(int offset) { return (127 - ((offset - 1) & 127)) << 1; }

enum class Kind : std::uint8_t { Literals, LastOffset, NewOffset };

// One block of the cheapest chain found so far that ends at index (its last byte), with the
// block before it.
struct Block {
    int bits = 0;    // of the whole chain up to and including this block
    int index = -1;
    int offset = 0;  // the last offset once this block is done
    Kind kind = Kind::Literals;
    int previous = -1;  // into the pool; -1 at the start
};

// Chains are many and most are overtaken before anything refers to them, so the per-offset
// candidates are values and go into the pool only when a later block or the best at an index
// refers to them; when the pool is full, blocks no chain reaches are swept out for reuse.
struct Candidate {
    Block block;
    int pooled = -1;
    bool live = false;
};

constexpr std::size_t kPoolSweepSize = 1 << 20;

class Parse {
public:
    explicit Parse(std::span<const std::uint8_t> data)
        : data_(data), maxOffset_(std::min(static_cast<int>(data.size()), kSearchedOffsets)),
          lastCopy_(maxOffset_ + 1), lastLiterals_(maxOffset_ + 1), matchLength_(maxOffset_ + 1, 0),
          best_(data.size(), -1) {
        // The first block is literals without the bit that says so: as if it followed a copy
        // with the initial offset that cost one bit less than nothing.
        lastCopy_[kInitialOffset] = {{-1, -1, kInitialOffset, Kind::LastOffset, -1}, -1, true};
    }

    std::vector<Block> Run() {
        for (int index = 0; index < static_cast<int>(data_.size()); ++index) Step(index);
        std::vector<Block> chain;
        for (int at = best_.back(); at >= 0 && pool_[at].index >= 0; at = pool_[at].previous)
            chain.push_back(pool_[at]);
        std::reverse(chain.begin(), chain.end());
        return chain;
    }

private:
    void Step(int index) {
        struct {
            int bits = std::numeric_limits<int>::max();
            int offset = 0;
            bool literals = false;
        } winner;
        const auto offer = [&winner](int bits, int offset, bool literals) {
            if (bits < winner.bits) winner = {bits, offset, literals};
        };
        // Cheapest way to end a new-offset copy of length 2..n at index, ignoring the offset's
        // own cost; grown only as far as this index's longest match needs.
        bestLength_.assign(3, 2);
        const int top = std::max(std::min(index, maxOffset_), kInitialOffset);
        for (int offset = 1; offset <= top; ++offset) {
            Candidate& copy = lastCopy_[offset];
            if (offset <= index && data_[index] == data_[index - offset]) {
                Candidate& literals = lastLiterals_[offset];
                // Literals up to the byte before a run of matches may be followed by a copy with
                // this offset as the last one; they are found once per run.
                if (matchLength_[offset] == 0 && copy.live) SetLiterals(offset, index - 1);
                if (literals.live) {
                    const int length = index - literals.block.index;
                    Set(copy, {literals.block.bits + 1 + GammaBits(length), index, offset, Kind::LastOffset,
                               Pool(literals)});
                    offer(copy.block.bits, offset, false);
                }
                if (++matchLength_[offset] > 1) {
                    const int length = BestLength(index, std::min(matchLength_[offset], kSearchedLength));
                    const int bits = pool_[best_[index - length]].bits + 1 + GammaBits(OffsetHigh(offset)) +
                                     kOffsetLowBits + GammaBits(length - 1);
                    if (!copy.live || copy.block.index != index || bits < copy.block.bits) {
                        Set(copy, {bits, index, offset, Kind::NewOffset, best_[index - length]});
                        offer(bits, offset, false);
                    }
                }
            } else {
                matchLength_[offset] = 0;
                if (copy.live) offer(LiteralBits(copy.block, index), offset, true);
            }
        }
        if (winner.literals) SetLiterals(winner.offset, index);
        best_[index] = Pool(winner.literals ? lastLiterals_[winner.offset] : lastCopy_[winner.offset]);
    }

    // Literals behind a copy, up to and including index.
    static int LiteralBits(const Block& copy, int index) {
        const int length = index - copy.index;
        return copy.bits + 1 + GammaBits(length) + 8 * length;
    }

    void SetLiterals(int offset, int index) {
        Candidate& copy = lastCopy_[offset];
        Set(lastLiterals_[offset], {LiteralBits(copy.block, index), index, offset, Kind::Literals, Pool(copy)});
    }

    int BestLength(int index, int matchLength) {
        const auto cost = [&](int length) { return pool_[best_[index - length]].bits + GammaBits(length - 1); };
        for (int length = static_cast<int>(bestLength_.size()); length <= matchLength; ++length) {
            const int before = bestLength_.back();
            bestLength_.push_back(cost(length) <= cost(before) ? length : before);
        }
        return bestLength_[matchLength];
    }

    static void Set(Candidate& c, const Block& block) { c = {block, -1, true}; }

    int Pool(Candidate& c) {
        if (c.pooled >= 0) return c.pooled;
        if (free_.empty() && pool_.size() >= kPoolSweepSize) Sweep();
        if (free_.empty()) {
            c.pooled = static_cast<int>(pool_.size());
            pool_.push_back(c.block);
        } else {
            c.pooled = free_.back();
            free_.pop_back();
            pool_[c.pooled] = c.block;
        }
        return c.pooled;
    }

    // Frees the blocks that neither the best chains nor the candidates reach.
    void Sweep() {
        std::vector<bool> reached(pool_.size(), false);
        const auto mark = [&](int id) {
            for (; id >= 0 && !reached[id]; id = pool_[id].previous) reached[id] = true;
        };
        for (int id : best_) mark(id);
        for (const auto* candidates : {&lastCopy_, &lastLiterals_})
            for (const Candidate& c : *candidates) {
                mark(c.pooled);
                mark(c.block.previous);
            }
        for (int id = 0; id < static_cast<int>(pool_.size()); ++id)
            if (!reached[id]) free_.push_back(id);
    }

    std::span<const std::uint8_t> data_;
    int maxOffset_;
    std::vector<Candidate> lastCopy_;      // per offset: the cheapest chain ending in a copy with it
    std::vector<Candidate> lastLiterals_;  // per offset: ... ending in literals after such a copy
    std::vector<int> matchLength_;         // per offset: how many bytes up to here repeat at it
    std::vector<int> bestLength_;
    std::vector<int> best_;                // per index: the cheapest chain ending there, in the pool
    std::vector<Block> pool_;
    std::vector<int> free_;
};

class BitWriter {
public:
    void Byte(std::uint8_t value) { out_.push_back(value); }

    void Bit(bool bit) {
        if (intoLastByte_) {
            // The first bit after a new offset's low byte fills that byte's spare bit 0.
            if (bit) out_.back() |= 1;
            intoLastByte_ = false;
            return;
        }
        if (mask_ == 0) {
            mask_ = 0x80;
            bitsAt_ = out_.size();
            out_.push_back(0);
        }
        if (bit) out_[bitsAt_] |= mask_;
        mask_ >>= 1;
    }

    // Interlaced Elias gamma: each bit below the leading 1 behind a 0, then a closing 1.
    void Gamma(int value, bool inverted = false) {
        for (int bit = std::bit_width(static_cast<unsigned>(value)) - 2; bit >= 0; --bit) {
            Bit(false);
            Bit(((value >> bit) & 1) != inverted);
        }
        Bit(true);
    }

    void NextBitIntoLastByte() { intoLastByte_ = true; }
    std::vector<std::uint8_t> Take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
    std::size_t bitsAt_ = 0;
    std::uint8_t mask_ = 0;
    bool intoLastByte_ = false;
};

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> in) : in_(in) {}

    std::optional<std::uint8_t> Byte() {
        if (at_ >= in_.size()) return std::nullopt;
        return in_[at_++];
    }

    std::optional<bool> Bit() {
        if (mask_ == 0) {
            const auto byte = Byte();
            if (!byte) return std::nullopt;
            bits_ = *byte;
            mask_ = 0x80;
        }
        const bool bit = (bits_ & mask_) != 0;
        mask_ >>= 1;
        return bit;
    }

    // firstStop: the first closing-or-continue bit, when it came elsewhere (a low offset byte).
    std::optional<std::uint32_t> Gamma(bool inverted = false, std::optional<bool> firstStop = std::nullopt) {
        std::uint32_t value = 1;
        for (std::optional<bool> stop = firstStop ? firstStop : Bit();; stop = Bit()) {
            if (!stop) return std::nullopt;
            if (*stop) return value;
            const auto bit = Bit();
            if (!bit) return std::nullopt;
            value = value << 1 | (*bit != inverted ? 1u : 0u);
            if (value > std::numeric_limits<std::uint16_t>::max() + 1u) return std::nullopt;
        }
    }

private:
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    std::uint8_t bits_ = 0;
    std::uint8_t mask_ = 0;
};

}  // namespace

std::vector<std::uint8_t> PackZx0(std::span<const std::uint8_t> data) {
    if (data.empty()) return {};
    BitWriter out;
    bool first = true;
    int start = 0;
    for (const Block& block : Parse(data).Run()) {
        const int length = block.index + 1 - start;
        switch (block.kind) {
            case Kind::Literals:
                if (!first) out.Bit(false);
                out.Gamma(length);
                for (int i = start; i <= block.index; ++i) out.Byte(data[i]);
                break;
            case Kind::LastOffset:
                out.Bit(false);
                out.Gamma(length);
                break;
            case Kind::NewOffset:
                out.Bit(true);
                out.Gamma(OffsetHigh(block.offset), true);
                out.Byte(static_cast<std::uint8_t>(OffsetLowByte(block.offset)));
                out.NextBitIntoLastByte();
                out.Gamma(length - 1);
                break;
        }
        first = false;
        start = block.index + 1;
    }
    out.Bit(true);
    out.Gamma(kEndMarker, true);
    return out.Take();
}

std::optional<std::vector<std::uint8_t>> UnpackZx0(std::span<const std::uint8_t> packed, std::size_t limit) {
    std::vector<std::uint8_t> out;
    BitReader in(packed);
    std::uint32_t offset = kInitialOffset;
    const auto copy = [&](std::uint32_t length) {
        if (offset > out.size() || length > limit - out.size()) return false;
        for (std::uint32_t i = 0; i < length; ++i) out.push_back(out[out.size() - offset]);
        return true;
    };
    // Literals come first; after them a copy with the last offset or a new one, after a copy
    // literals or a new offset.
    Kind next = Kind::Literals;
    for (;;) {
        if (next == Kind::Literals) {
            const auto length = in.Gamma();
            if (!length || *length > kMaxCount || *length > limit - out.size()) return std::nullopt;
            for (std::uint32_t i = 0; i < *length; ++i) {
                const auto byte = in.Byte();
                if (!byte) return std::nullopt;
                out.push_back(*byte);
            }
        } else if (next == Kind::LastOffset) {
            const auto length = in.Gamma();
            if (!length || *length > kMaxCount || !copy(*length)) return std::nullopt;
        } else {
            const auto high = in.Gamma(true);
            if (!high) return std::nullopt;
            if (*high == kEndMarker) return out;
            if (*high > kEndMarker) return std::nullopt;
            const auto low = in.Byte();
            if (!low) return std::nullopt;
            offset = ((*high - 1) << kOffsetLowBits) + (127 - (*low >> 1)) + 1;
            const auto length = in.Gamma(false, (*low & 1) != 0);
            if (!length || *length + 1 > kMaxCount || !copy(*length + 1)) return std::nullopt;
        }
        const auto bit = in.Bit();
        if (!bit) return std::nullopt;
        next = *bit ? Kind::NewOffset : next == Kind::Literals ? Kind::LastOffset : Kind::Literals;
    }
}

}  // namespace vorbix
