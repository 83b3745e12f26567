#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "draw/sheet.h"
#include "pipeline/method_sheet.h"
#include "pipeline/session.h"
#include "ui/background_task.h"
#include "ui/picture_view.h"

namespace vorbix {

// "Compare methods": the source view converted with every method, side by side, from copies of
// the main window's session. A click on a tile chooses that method in the main window. The tiles
// are worked out on a thread of their own and shown as each finishes; a newer request cancels an
// older one, and tiles whose inputs have not changed (only the method chosen) are kept.
class MethodSheetWindow : public QWidget {
public:
    // choose gets the method clicked and, when each method was given its best colours, its set.
    using Choose = std::function<void(int method, const std::vector<ColourValue>& swatches)>;
    MethodSheetWindow(QWidget* owner, const Session& session, Choose choose);

    // The main window changed: convert again once it has been quiet for a moment (a dragged
    // slider would otherwise run a conversion per method per step).
    void Follow();
    bool RefreshPending() const { return refresh_.isActive(); }
    // Starts working out the tiles the main window's state needs, showing the others at once.
    void Refresh();
    bool Working() const { return working_ != 0; }
    // Stops the work in hand; the tiles done so far stay.
    void Cancel();

    const Picture& Sheet() const { return sheet_; }
    const std::vector<MethodTile>& Tiles() const { return tiles_; }
    const SheetLayout& Layout() const { return layout_; }
    // What a click at a point of the sheet chooses, if anything.
    void ClickAt(QPoint position);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What every tile depends on: the main window's state but for its method.
    struct Inputs {
        Picture sourceView;
        ConversionSettings settings;
        MixTable mixes;
        Palette palette;
        std::uint64_t randomDrawn = 0;
        bool eachWithBest = false;
        bool operator==(const Inputs&) const = default;
    };
    static Inputs InputsOf(const Session& session, bool eachWithBest);
    void TileDone(long generation, const MethodTile& tile);
    void WorkEnded(long request);
    void ShowCaption();
    // The whole sheet laid out and drawn again, for a new size or layout.
    void Compose();
    // Only the tiles at these positions drawn again, with those whose frame or "best" mark changed.
    void Redraw(std::vector<std::size_t> positions);

    const Session& session_;
    Choose choose_;
    std::vector<MethodTile> tiles_;  // one per method, in order; a grey one until worked out
    std::vector<Picture> reduced_;   // each tile's preview at the sheet's scale; empty until composed
    int reducedScale_ = 0;
    std::vector<bool> current_;      // worked out from inputs_
    std::optional<Inputs> inputs_;
    long generation_ = 0;  // counts the changes of inputs_; tiles worked out for an older one are dropped
    long request_ = 0;
    long working_ = 0;  // the request being worked out, 0 when none
    std::map<long, std::unique_ptr<BackgroundTask>> tasks_;  // a cancelled one runs on to its tile's end
    QProgressBar* progress_;
    QPushButton* cancel_;
    SheetLayout layout_;
    Picture sheet_;
    int highlighted_ = 0;      // the method the sheet frames
    std::size_t best_ = 0;     // the position it marks best
    QTimer refresh_;
    QLabel* caption_;
    QComboBox* size_;
    QCheckBox* bestColours_;
    QScrollArea* scroll_;
    PictureView* view_;
};

}  // namespace vorbix
