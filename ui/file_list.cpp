#include "ui/file_list.h"

#include <QFile>
#include <QMouseEvent>
#include <algorithm>
#include <QSignalBlocker>

namespace vorbix {

bool IsPictureFileName(const QByteArray& name) {
    if (name.startsWith('.')) return false;
    for (const char* extension : {".jpg", ".jpeg", ".png", ".bmp"})
        if (name.toLower().endsWith(extension)) return true;
    return false;
}

void FileList::ShowNames(const QList<QByteArray>& names) {
    QList<QByteArray> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const QByteArray& a, const QByteArray& b) {
        const int order = QFile::decodeName(a).compare(QFile::decodeName(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    clear();
    for (const QByteArray& name : sorted) {
        auto* item = new QListWidgetItem(QFile::decodeName(name), this);
        item->setData(Qt::UserRole, name);
    }
}

QByteArray FileList::NameOf(const QListWidgetItem* item) { return item->data(Qt::UserRole).toByteArray(); }

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
