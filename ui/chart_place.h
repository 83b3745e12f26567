#pragma once

#include <QRect>

namespace vorbix {

// Where the chart window's frame goes on the screen's free area: beside the main window on the
// right, else on its left, else below, else above it. Where none of these fits (a 1366 x 768
// screen), over the source view, the one part of the main window not needed while mixes are
// edited: the palette, the modes and methods and the preview stay in sight.
QPoint ChartPlace(const QRect& screen, const QRect& mainFrame, const QRect& sourceView, const QSize& chartFrame);

}  // namespace vorbix
