#pragma once

#include <vector>

#include "core/cielab.h"
#include "core/eye_filter.h"
#include "core/picture.h"

namespace vorbix {

// How far the colours of shown are from reference to an eye seeing samplesPerDegree pixels per degree
// of view: S-CIELAB (Zhang & Wandell), the mean CIEDE2000 over the pixels after each picture is
// blurred in the opponent channels as the eye blurs them. 0 for identical pictures, lower is
// better. At the borders each Gaussian is renormalised over the part inside the picture. Pictures
// of different sizes score infinity; two empty pictures score 0. A samplesPerDegree of 0 or less
// blurs nothing. Single precision; the wide terms are blurred on reduced copies.
double DeltaEScore(const Picture& reference, const Picture& shown, double samplesPerDegree = kTvcSamplesPerDegree);

// The same score written out plainly: every term of every kernel a direct separable Gaussian over
// the whole picture, blur and differences in double precision. Slow; it states the rule, and
// DeltaEScore must agree with it closely (within 0.2 % on photo-like pictures).
double DeltaEScorePlain(const Picture& reference, const Picture& shown,
                        double samplesPerDegree = kTvcSamplesPerDegree);

}  // namespace vorbix
