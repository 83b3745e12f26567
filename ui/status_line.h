#pragma once

#include <QLabel>
#include <QString>

namespace vorbix {

// The status line: what happened, the figure that matters first, then the file or folder it
// happened to. The message keeps its room; a path too long for the rest gives way in its middle,
// so that both its start and its file name show. The whole text is the tooltip.
class StatusLine : public QLabel {
public:
    explicit StatusLine(QWidget* parent) : QLabel(parent) {}
    void Say(const QString& message, const QString& path = {});

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();

    QString message_;
    QString path_;
};

}  // namespace vorbix
