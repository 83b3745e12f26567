#include "ui/chart_place.h"

#include <algorithm>

namespace vorbix {

QPoint ChartPlace(const QRect& screen, const QRect& mainFrame, const QRect& sourceView, const QSize& chartFrame) {
    const int gap = 8;
    const QPoint beside[] = {
        {mainFrame.right() + 1 + gap, mainFrame.top()},
        {mainFrame.left() - gap - chartFrame.width(), mainFrame.top()},
        {mainFrame.left(), mainFrame.bottom() + 1 + gap},
        {mainFrame.left(), mainFrame.top() - gap - chartFrame.height()},
    };
    for (const QPoint& place : beside)
        if (screen.contains(QRect(place, chartFrame))) return place;
    const int x = std::clamp(sourceView.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - chartFrame.width()));
    const int y = std::clamp(sourceView.bottom() + 1 - chartFrame.height(), screen.top(),
                             std::max(screen.top(), screen.bottom() + 1 - chartFrame.height()));
    return {x, y};
}

}  // namespace vorbix
