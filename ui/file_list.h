#pragma once

#include <QListWidget>
#include <functional>

namespace vorbix {

// The names the list shows: JPEG, PNG and BMP files by their extension, in any case, hidden
// files left out. The name is the system's bytes, which need not be valid UTF-8.
bool IsPictureFileName(const QByteArray& name);

// The list of pictures: a press on an entry chooses it, even the one already highlighted, and so
// does moving to an entry with the keys; gaining focus alone chooses nothing.
class FileList : public QListWidget {
public:
    explicit FileList(QWidget* parent);

    std::function<void(const QString& name)> onChoose;
    // Shows these names, the system's bytes, sorted as a person reads them.
    void ShowNames(const QList<QByteArray>& names);
    // The system's bytes of the entry; its text may have lost some that are not UTF-8.
    static QByteArray NameOf(const QListWidgetItem* item);
    // Highlights the entry of that name without choosing it; nothing when it is not listed.
    void Highlight(const QString& name);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ChooseSelected();
};

}  // namespace vorbix
