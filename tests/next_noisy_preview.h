#pragma once

#include "dither/methods.h"
#include "pipeline/session.h"

namespace vorbix {

// What the noisy threshold makes next: the same only where the random sequences stand alike.
inline Picture NextNoisyPreview(Session s) {
    for (const Method& method : AllMethods())
        if (method.kind == MethodKind::NoisyThreshold) s.ChooseMethod(method.number);
    return s.Preview();
}

}  // namespace vorbix
