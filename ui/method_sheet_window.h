#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "draw/sheet.h"
#include "pipeline/method_sheet.h"
#include "pipeline/session.h"
#include "ui/picture_view.h"

namespace vorbix {

// "Compare methods": the source view converted with every method, side by side, from copies of
// the main window's session. A click on a tile chooses that method in the main window.
class MethodSheetWindow : public QWidget {
public:
    // choose gets the method clicked and, when each method was given its best colours, its set.
    using Choose = std::function<void(int method, const std::vector<ColorValue>& swatches)>;
    MethodSheetWindow(QWidget* owner, const Session& session, Choose choose);

    // The main window changed: convert again once it has been quiet for a moment (a dragged
    // slider would otherwise run a conversion per method per step).
    void Follow();
    bool RefreshPending() const { return refresh_.isActive(); }
    // Converts with every method now and shows the result.
    void Refresh();

    const Picture& Sheet() const { return sheet_; }
    const SheetLayout& Layout() const { return layout_; }
    // What a click at a point of the sheet chooses, if anything.
    void ClickAt(QPoint position);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Compose();

    const Session& session_;
    Choose choose_;
    std::vector<MethodTile> tiles_;
    SheetLayout layout_;
    Picture sheet_;
    QTimer refresh_;
    QLabel* caption_;
    QComboBox* size_;
    QCheckBox* bestColours_;
    QScrollArea* scroll_;
    PictureView* view_;
};

}  // namespace vorbix
