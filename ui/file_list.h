#pragma once

#include <QListWidget>
#include <functional>

namespace vorbix {

// The list of pictures: a press on an entry chooses it, even the one already highlighted, and so
// does moving to an entry with the keys; gaining focus alone chooses nothing.
class FileList : public QListWidget {
public:
    explicit FileList(QWidget* parent);

    std::function<void(const QString& name)> onChoose;
    // Highlights the entry of that name without choosing it; nothing when it is not listed.
    void Highlight(const QString& name);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ChooseSelected();
};

}  // namespace vorbix
