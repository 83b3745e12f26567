#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/picture.h"
#include "dither/dither_state.h"

namespace vorbix {

constexpr int kMethodCount = 17;
constexpr int kPatternTvc = 17;

// A colour-reduction method as the converter calls it: the work surface as destination and
// source, the session's shared state for palette, pattern tables and random sequence.
using MethodProcedure = void (*)(Picture& destination, const Picture& source, DitherState& state);

struct MethodInfo {
    int index;  // 1..17, the option button's index
    std::string_view caption;
    MethodProcedure run;
};

const std::array<MethodInfo, kMethodCount>& Methods();
const MethodInfo& MethodByIndex(int index);
// An index 1..17 or a caption, case-insensitive.
std::optional<int> FindMethod(std::string_view indexOrCaption);

}  // namespace vorbix
