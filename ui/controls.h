#pragma once

#include <QFontMetrics>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace vorbix {

// Gives a control its name (the name the windows and tests find it by) and its place.
template <typename Control>
Control* Place(Control* control, const QString& name, const QRect& place) {
    control->setObjectName(name);
    control->setGeometry(place);
    return control;
}

inline QPushButton* AddButton(QWidget* parent, const QString& name, const QRect& place, const QString& caption,
                              const QString& tip, std::function<void()> onClick) {
    auto* button = Place(new QPushButton(caption, parent), name, place);
    button->setToolTip(tip);
    QObject::connect(button, &QPushButton::clicked, parent, [onClick = std::move(onClick)] { onClick(); });
    return button;
}

// A caption wider than the room its place gives it, in a font a pixel or two smaller, so that it
// shows whole where the system's font is wider than the one the places were made for.
inline void FitCaption(QWidget* control, const QString& caption, int room) {
    QFont font = control->window()->font();  // a new control has it only once shown
    constexpr int kSmallest = 8;
    while (font.pixelSize() > kSmallest && QFontMetrics(font).horizontalAdvance(caption) > room)
        font.setPixelSize(font.pixelSize() - 1);
    control->setFont(font);
}

// The small font the windows' 17-pixel rows are laid out for, and frames whose caption sits
// on the top border line, so that controls 16 pixels down clear it.
inline void UseCompactLook(QWidget* window) {
    QFont font = window->font();
    font.setPixelSize(11);
    window->setFont(font);
    window->setStyleSheet(
        "QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; top: 0px;"
        " padding: 0 2px; }");
}

}  // namespace vorbix
