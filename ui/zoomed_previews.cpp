#include "ui/zoomed_previews.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QKeyEvent>

#include "core/tvc.h"

namespace vorbix {

ZoomedPreviews::ZoomedPreviews(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle("Previews at 2×");
    auto* pictures = new QWidget;
    auto* row = new QHBoxLayout(pictures);
    source_ = new PictureView(pictures, nullptr);
    result_ = new PictureView(pictures, nullptr);
    for (PictureView* view : {source_, result_}) {
        view->setObjectName(view == source_ ? "ZoomedSource" : "ZoomedResult");
        view->SetZoom(kZoom);
        view->setFixedSize(kPreviewWidth * kZoom, kPreviewHeight * kZoom);
        row->addWidget(view);
    }
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(pictures);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    // As large as the pictures, but never beyond the screen's free area: it scrolls instead.
    const QSize wanted = pictures->sizeHint() + QSize(4, 4);
    const QRect room = owner && owner->screen() ? owner->screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    resize(wanted.boundedTo(room.size() - QSize(16, 48)));
}

void ZoomedPreviews::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Close))
        hide();
    else
        QWidget::keyPressEvent(event);
}

void ZoomedPreviews::Show(const Picture* source, const Picture* result) {
    source_->Show(source);
    result_->Show(result);
}

}  // namespace vorbix
