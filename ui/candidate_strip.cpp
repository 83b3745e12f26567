#include "ui/candidate_strip.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/controls.h"

namespace vorbix {

namespace {

QString Hex(ColourValue c) { return QColor(GetRed(c), GetGreen(c), GetBlue(c)).name().toUpper(); }

// Two columns of three: a framed picture and its score under it.
QPoint CellPlace(int index) { return {8 + (index % 2) * 68, 18 + (index / 2) * 82}; }

}  // namespace

CandidateStrip::CandidateStrip(QWidget* parent, std::function<void(const std::vector<ColourValue>&)> take)
    : QGroupBox("Best colours", parent), take_(std::move(take)) {
    for (int i = 0; i < kMaxSwatchCandidates; ++i) {
        const QPoint place = CellPlace(i);
        auto* frame = Place(new QFrame(this), QString("CandidateFrame%1").arg(i),
                            QRect(place, QSize(kPreviewWidth + 4, kPreviewHeight + 4)));
        frame->setLineWidth(2);
        cells_[i].picture = Place(new PictureView(frame, nullptr), QString("Candidate%1").arg(i),
                                  QRect(2, 2, kPreviewWidth, kPreviewHeight));
        cells_[i].picture->setFocusPolicy(Qt::StrongFocus);
        cells_[i].picture->onMousePress = [this, i](QMouseEvent* event) {
            if (event->button() == Qt::LeftButton) Take(i);
        };
        cells_[i].picture->onKeyPress = [this, i](QKeyEvent* event) {
            if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) Take(i);
        };
        cells_[i].score = Place(new QLabel(this), QString("CandidateScore%1").arg(i),
                                QRect(place.x(), place.y() + kPreviewHeight + 4, kPreviewWidth + 4, 14));
        cells_[i].score->setAlignment(Qt::AlignCenter);
    }
    Clear();
}

void CandidateStrip::Show(std::vector<SwatchCandidate> candidates, const Session& session, TvcMode mode) {
    candidates_ = std::move(candidates);
    madeFor_ = {mode, session.Method(), session.SourceView(), session.Mixes()};
    for (int i = 0; i < kMaxSwatchCandidates; ++i) {
        Cell& cell = cells_[i];
        const bool shown = i < static_cast<int>(candidates_.size());
        cell.picture->parentWidget()->setVisible(shown);
        cell.score->setVisible(shown);
        if (!shown) continue;
        const SwatchCandidate& candidate = candidates_[i];
        // Averaged down, so a dither pattern shows as the colour it blends into from afar.
        small_[i] = Picture(kPreviewWidth, kPreviewHeight);
        StretchPicture(small_[i], candidate.shown, kPreviewWidth, kPreviewHeight, 1);
        cell.picture->Show(&small_[i]);
        // The likeness, as the window's "Likeness" readout gives it; the tile has no room for the word.
        cell.score->setText(QString::number(candidate.score, 'f', 1));
        QStringList colours;
        for (ColourValue c : candidate.swatches) colours.append(Hex(c));
        cell.picture->setToolTip(QString("%1. %2, likeness %3 (lower is closer): click to take these colours (one undo step)")
                                     .arg(i + 1)
                                     .arg(colours.join(" "))
                                     .arg(candidate.score, 0, 'f', 2));
    }
    setVisible(true);
    Follow(session);
}

void CandidateStrip::Follow(const Session& session) {
    if (candidates_.empty()) return;
    if (session.Mode() != madeFor_.mode || session.Method() != madeFor_.method || !(session.Mixes() == madeFor_.mixes) ||
        !(session.SourceView() == madeFor_.sourceView))
        return Clear();
    const ConversionSettings& settings = session.Settings();
    const std::vector<ColourValue> swatches =
        madeFor_.mode == TvcMode::Graphics2 ? std::vector<ColourValue>(settings.swatches2.begin(), settings.swatches2.end())
                                            : std::vector<ColourValue>(settings.swatches4.begin(), settings.swatches4.end());
    for (int i = 0; i < static_cast<int>(candidates_.size()); ++i) {
        auto* frame = static_cast<QFrame*>(cells_[i].picture->parentWidget());
        const bool taken = candidates_[i].swatches == swatches;
        frame->setFrameStyle(taken ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
        QFont font = cells_[i].score->font();
        font.setBold(taken);
        cells_[i].score->setFont(font);
    }
}

void CandidateStrip::Clear() {
    candidates_.clear();
    madeFor_ = {};
    for (Cell& cell : cells_) cell.picture->Show(nullptr);
    setVisible(false);
}

void CandidateStrip::Take(int index) {
    if (index >= static_cast<int>(candidates_.size())) return;
    const std::vector<ColourValue> swatches = candidates_[index].swatches;  // taking it may empty the strip
    take_(swatches);
}

}  // namespace vorbix
