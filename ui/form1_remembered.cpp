#include <QColor>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "ui/chart_place.h"
#include "ui/form1.h"

namespace vorbix {

namespace {

template <std::size_t N>
QStringList HexList(const std::array<ColourValue, N>& colours) {
    QStringList list;
    for (ColourValue c : colours) list.append(QString::fromStdString(HexText(c)));
    return list;
}

// Sets the mode's swatches from remembered names; any name that is not a colour is left out.
void RestoreSwatches(Session& session, TvcMode mode, const QStringList& names) {
    for (int i = 0; i < std::min<int>(names.size(), ModeOf(mode).swatchCount); ++i) {
        const QColor colour = QColor::fromString(names[i]);
        if (colour.isValid()) session.SetSwatchColour(mode, i, MakeColour(colour.red(), colour.green(), colour.blue()));
    }
}

bool OnSomeScreen(const QRect& place) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(place)) return true;
    return false;
}

}  // namespace

void Form1::RestoreRemembered() {
    const QSettings remembered;
    recentFolders_ = remembered.value("folders/recent").toStringList();
    chosenSaveFolder_ = remembered.value("folders/save").toString();
    lastSaveFolder_ = remembered.value("folders/lastSave").toString();
    const int mode = remembered.value("conversion/mode", static_cast<int>(session_.Mode())).toInt();
    if (mode >= 0 && mode < 3) session_.SetMode(static_cast<TvcMode>(mode));
    session_.SetMethod(remembered.value("conversion/method", session_.Method()).toInt());
    RestoreSwatches(session_, TvcMode::Graphics2, remembered.value("conversion/swatches2").toStringList());
    RestoreSwatches(session_, TvcMode::Graphics4, remembered.value("conversion/swatches4").toStringList());
    restoreGeometry(remembered.value("windows/main").toByteArray());
}

void Form1::Remember() const {
    QSettings remembered;
    remembered.setValue("folders/recent", recentFolders_);
    remembered.setValue("folders/save", chosenSaveFolder_);
    remembered.setValue("folders/lastSave", lastSaveFolder_);
    remembered.setValue("conversion/mode", static_cast<int>(session_.Mode()));
    remembered.setValue("conversion/method", session_.Method());
    remembered.setValue("conversion/swatches2", HexList(session_.Settings().swatches2));
    remembered.setValue("conversion/swatches4", HexList(session_.Settings().swatches4));
    remembered.setValue("windows/main", saveGeometry());
    remembered.setValue("windows/chart", form2_->pos());
}

void Form1::PlaceChart() {
    // The frame around the chart is taken to be as wide as the one around this window.
    const QSize chartFrame = form2_->size() + (frameGeometry().size() - geometry().size());
    const QPoint remembered = QSettings().value("windows/chart").toPoint();
    if (!remembered.isNull() && OnSomeScreen(QRect(remembered, chartFrame))) return form2_->move(remembered);
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect sourceView(pic5_->mapToGlobal(QPoint(0, 0)), pic5_->size());
    form2_->move(ChartPlace(screen->availableGeometry(), frameGeometry(), sourceView, chartFrame));
}

}  // namespace vorbix
