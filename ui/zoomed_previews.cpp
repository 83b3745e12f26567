#include "ui/zoomed_previews.h"

#include <QHBoxLayout>
#include <QScrollArea>

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
    resize(pictures->sizeHint() + QSize(4, 4));
}

void ZoomedPreviews::Show(const Picture* source, const Picture* result) {
    source_->Show(source);
    result_->Show(result);
}

}  // namespace vorbix
