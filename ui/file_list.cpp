#include "ui/file_list.h"

#include <QMouseEvent>
#include <QSignalBlocker>

namespace vorbix {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Selection, not the current item: the list makes its first item current when it gains
    // focus, and that must not load a picture.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] { ChooseSelected(); });
}

void FileList::Highlight(const QString& name) {
    const QSignalBlocker block(this);
    const auto found = name.isEmpty() ? QList<QListWidgetItem*>() : findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        clearSelection();
        return;
    }
    setCurrentItem(found.first());
    scrollToItem(found.first());
}

void FileList::mousePressEvent(QMouseEvent* event) {
    QListWidgetItem* pressed = itemAt(event->position().toPoint());
    const bool wasHighlighted = pressed && pressed->isSelected();
    QListWidget::mousePressEvent(event);
    // A press on the highlighted entry changes no selection, so it is chosen here.
    if (wasHighlighted && event->button() == Qt::LeftButton) ChooseSelected();
}

void FileList::ChooseSelected() {
    const auto selected = selectedItems();
    if (!selected.isEmpty() && onChoose) onChoose(selected.first()->text());
}

}  // namespace vorbix
