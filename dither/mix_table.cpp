#include "dither/mix_table.h"

#include <utility>

#include "dither/pattern.h"

namespace vorbix {

MixTable::MixTable() {
    for (int k = 0; k < kMixCount; ++k) {
        const MixPair pair = MixOfIndex(k);
        mixes_[k].first = ChartColours()[pair.i];
        mixes_[k].second = ChartColours()[pair.j];
    }
}

void MixTable::SwapColours(int k) { std::swap(mixes_[k].first, mixes_[k].second); }

void MixTable::SetAll(bool off) {
    for (Mix& mix : mixes_) {
        mix.off = off;
        mix.swapMarked = false;
    }
}

int MixTable::OnCount() const {
    int on = 0;
    for (const Mix& mix : mixes_)
        if (!mix.off) ++on;
    return on;
}

std::vector<std::uint8_t> MixTable::OffList() const {
    std::vector<std::uint8_t> off;
    for (const Mix& mix : mixes_) off.push_back(mix.off ? 1 : 0);
    return off;
}

}  // namespace vorbix
