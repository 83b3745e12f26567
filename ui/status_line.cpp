#include "ui/status_line.h"

#include <QDir>
#include <QResizeEvent>

namespace vorbix {

void StatusLine::Say(const QString& message, const QString& path) {
    message_ = message;
    path_ = QDir::toNativeSeparators(path);
    setToolTip(path_.isEmpty() ? message_ : message_ + " " + path_);
    Fit();
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

void StatusLine::Fit() {
    const QFontMetrics metrics = fontMetrics();
    const QString lead = path_.isEmpty() ? message_ : message_ + " ";
    const int room = width() - metrics.horizontalAdvance(lead);
    // A path shorter than a few letters says nothing; the message then takes the line.
    if (path_.isEmpty() || room < metrics.horizontalAdvance("/…/name.ext"))
        return setText(metrics.elidedText(toolTip(), Qt::ElideRight, width()));
    setText(lead + metrics.elidedText(path_, Qt::ElideMiddle, room));
}

}  // namespace vorbix
