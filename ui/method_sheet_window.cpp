#include "ui/method_sheet_window.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "dither/methods.h"
#include "ui/controls.h"

namespace vorbix {

namespace {

constexpr int kQuietMs = 150;
const int kScales[] = {1, 2, 4};

}  // namespace

MethodSheetWindow::MethodSheetWindow(QWidget* owner, const Session& session, Choose choose)
    : QWidget(owner, Qt::Window), session_(session), choose_(std::move(choose)) {
    setObjectName("MethodSheet");
    setWindowTitle("Compare methods");
    UseCompactLook(this);

    caption_ = new QLabel(this);
    caption_->setObjectName("SheetCaption");
    size_ = new QComboBox(this);
    size_->setObjectName("SheetSize");
    size_->addItems({"Full size", "Half size", "Quarter size"});
    size_->setCurrentIndex(1);
    size_->setToolTip("How large each method's picture is shown");
    connect(size_, &QComboBox::currentIndexChanged, this, [this] { Compose(); });
    bestColours_ = new QCheckBox("each with its best colours", this);
    bestColours_->setObjectName("EachWithBestColours");
    bestColours_->setToolTip("Graphics 2 and 4: convert every method with the TVC colours that suit it best (slower)");
    connect(bestColours_, &QCheckBox::toggled, this, [this] { Refresh(); });
    progress_ = new QProgressBar(this);
    progress_->setObjectName("SheetProgress");
    progress_->setMaximumWidth(120);
    progress_->setFormat("%v of %m");
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("SheetCancel");
    cancel_->setToolTip("Stop working out the pictures; those done stay");
    connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
    auto* bar = new QHBoxLayout;
    bar->addWidget(caption_, 1);
    bar->addWidget(progress_);
    bar->addWidget(cancel_);
    bar->addWidget(bestColours_);
    bar->addWidget(size_);

    view_ = new PictureView(nullptr, &sheet_);
    view_->setObjectName("SheetView");
    view_->setToolTip("Click a picture to choose its method in the main window");
    view_->setCursor(Qt::PointingHandCursor);
    view_->onMousePress = [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton) ClickAt(event->position().toPoint());
    };
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    refresh_.setSingleShot(true);
    refresh_.setInterval(kQuietMs);
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });

    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    const SheetLayout wide(2, 6);
    resize(std::min(room.width() * 9 / 10, wide.Width() + 40), std::min(room.height() * 9 / 10, wide.Height(kAllMethodCount) + 60));
    // The sheet belongs to the main window: it closes with it.
    if (owner) owner->installEventFilter(this);
}

void MethodSheetWindow::Follow() {
    if (isVisible()) refresh_.start();
}

MethodSheetWindow::Inputs MethodSheetWindow::InputsOf(const Session& session, bool eachWithBest) {
    Inputs inputs{session.SourceView(), session.Settings(), session.Mixes(), session.PaletteInUse(), session.RandomDrawn(),
                  eachWithBest};
    inputs.settings.method = 0;
    return inputs;
}

void MethodSheetWindow::Refresh() {
    refresh_.stop();
    const bool swatchMode = ModeOf(session_.Mode()).swatchCount > 0;
    bestColours_->setEnabled(swatchMode);
    const bool eachWithBest = swatchMode && bestColours_->isChecked();
    Inputs inputs = InputsOf(session_, eachWithBest);
    if (!inputs_ || !(*inputs_ == inputs)) {
        // Until worked out again, a tile shows what it showed, or grey.
        if (tiles_.empty())
            for (const Method& method : AllMethods()) {
                MethodTile blank;
                blank.method = method.number;
                blank.preview = Picture(kPreviewWidth, kPreviewHeight, kViewBackground);
                tiles_.push_back(std::move(blank));
            }
        current_.assign(tiles_.size(), false);
        inputs_ = std::move(inputs);
        ++generation_;
    }
    if (working_) tasks_.at(working_)->Cancel();
    working_ = 0;
    std::vector<int> todo;
    for (std::size_t n = 0; n < tiles_.size(); ++n)
        if (!current_[n]) todo.push_back(tiles_[n].method);
    if (!todo.empty()) {
        const long request = ++request_;
        working_ = request;
        // The copy is the request: the main window may change while the tiles are worked out.
        auto base = std::make_shared<const Session>(session_);
        tasks_[request] = std::make_unique<BackgroundTask>(
            this,
            [this, base, todo, eachWithBest, generation = generation_](TaskProgress& progress) {
                for (std::size_t n = 0; n < todo.size() && !progress.Cancelled(); ++n) {
                    const MethodTile tile = ConvertWithMethod(*base, todo[n], eachWithBest);
                    QMetaObject::invokeMethod(this, [this, generation, tile] { TileDone(generation, tile); },
                                              Qt::QueuedConnection);
                }
            },
            BackgroundTask::Progress{[](int) {}, [](double, double) {}}, [this, request] { WorkEnded(request); });
    }
    ShowCaption();
    if (sheet_.Empty())
        Compose();
    else
        Redraw({});
}

void MethodSheetWindow::Cancel() {
    if (!working_) return;
    tasks_.at(working_)->Cancel();
    working_ = 0;
    ShowCaption();
}

void MethodSheetWindow::TileDone(long generation, const MethodTile& tile) {
    if (generation != generation_) return;
    std::vector<std::size_t> arrived;
    for (std::size_t n = 0; n < tiles_.size(); ++n)
        if (tiles_[n].method == tile.method) {
            tiles_[n] = tile;
            reduced_[n] = Picture();
            current_[n] = true;
            arrived.push_back(n);
        }
    ShowCaption();
    Redraw(std::move(arrived));
}

void MethodSheetWindow::WorkEnded(long request) {
    tasks_.erase(request);
    if (request != working_) return;
    working_ = 0;
    ShowCaption();
}

void MethodSheetWindow::ShowCaption() {
    const int total = static_cast<int>(tiles_.size());
    const int done = static_cast<int>(std::count(current_.begin(), current_.end(), true));
    const std::string_view mode = ModeOf(session_.Mode()).caption;
    QString text = QString("%1, every method on the picture %2.")
                       .arg(QString::fromUtf8(mode.data(), mode.size()),
                            inputs_ && inputs_->eachWithBest ? "with its own best colours" : "as the main window shows it");
    if (working_)
        text += " Working…";
    else if (done < total)
        text += QString(" Stopped with %1 of %2 worked out.").arg(done).arg(total);
    else
        text += " Click one to choose it.";
    caption_->setText(text);
    progress_->setRange(0, total);
    progress_->setValue(done);
    progress_->setVisible(working_ != 0);
    cancel_->setVisible(working_ != 0);
}

void MethodSheetWindow::Compose() {
    const int scale = kScales[std::clamp(size_->currentIndex(), 0, 2)];
    layout_ = SheetLayout::Fitting(scale, scroll_->viewport()->width(), static_cast<int>(tiles_.size()));
    if (scale != reducedScale_) reduced_.clear();
    reducedScale_ = scale;
    reduced_.resize(tiles_.size());
    for (std::size_t n = 0; n < tiles_.size(); ++n)
        if (reduced_[n].Empty()) reduced_[n] = ReducedPreview(tiles_[n].preview, layout_);
    highlighted_ = session_.Method();
    best_ = BestTile(tiles_);
    sheet_ = ComposeSheet(tiles_, layout_, highlighted_, reduced_);
    view_->setFixedSize(sheet_.Width(), sheet_.Height());
    view_->update();
}

void MethodSheetWindow::Redraw(std::vector<std::size_t> positions) {
    const int method = session_.Method();
    const std::size_t best = BestTile(tiles_);
    if (best != best_) positions.insert(positions.end(), {best_, best});
    for (std::size_t n = 0; n < tiles_.size(); ++n)
        if ((tiles_[n].method == highlighted_) != (tiles_[n].method == method)) positions.push_back(n);
    highlighted_ = method;
    best_ = best;
    for (const std::size_t n : positions) {
        if (n >= tiles_.size()) continue;
        if (reduced_[n].Empty()) reduced_[n] = ReducedPreview(tiles_[n].preview, layout_);
        const int position = static_cast<int>(n);
        DrawSheetTile(sheet_, layout_, position, tiles_[n], reduced_[n], tiles_[n].method == method, n == best);
        const TileBox box = layout_.TileAt(position);
        view_->update(box.left, box.top, box.width, box.height);
    }
}

void MethodSheetWindow::ClickAt(QPoint position) {
    const auto n = layout_.PositionAt(position.x(), position.y(), static_cast<int>(tiles_.size()));
    if (n) choose_(tiles_[*n].method, tiles_[*n].swatches);
}

void MethodSheetWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void MethodSheetWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Cancel();
}

void MethodSheetWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!tiles_.empty()) Compose();
}

bool MethodSheetWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Close) close();
    return QWidget::eventFilter(watched, event);
}

}  // namespace vorbix
