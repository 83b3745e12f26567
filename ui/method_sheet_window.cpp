#include "ui/method_sheet_window.h"

#include <QHBoxLayout>
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
    auto* bar = new QHBoxLayout;
    bar->addWidget(caption_, 1);
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

void MethodSheetWindow::Refresh() {
    refresh_.stop();
    const bool swatchMode = ModeOf(session_.Mode()).swatchCount > 0;
    bestColours_->setEnabled(swatchMode);
    const bool eachWithBest = swatchMode && bestColours_->isChecked();
    tiles_ = ConvertWithEveryMethod(session_, eachWithBest);
    const std::string_view mode = ModeOf(session_.Mode()).caption;
    caption_->setText(QString("%1, every method on the picture %2. Click one to choose it.")
                          .arg(QString::fromUtf8(mode.data(), mode.size()),
                               eachWithBest ? "with its own best colours" : "as the main window shows it"));
    Compose();
}

void MethodSheetWindow::Compose() {
    const int scale = kScales[std::clamp(size_->currentIndex(), 0, 2)];
    layout_ = SheetLayout::Fitting(scale, scroll_->viewport()->width(), static_cast<int>(tiles_.size()));
    sheet_ = ComposeSheet(tiles_, layout_, session_.Method());
    view_->setFixedSize(sheet_.Width(), sheet_.Height());
    view_->update();
}

void MethodSheetWindow::ClickAt(QPoint position) {
    const auto n = layout_.PositionAt(position.x(), position.y(), static_cast<int>(tiles_.size()));
    if (n) choose_(tiles_[*n].method, tiles_[*n].swatches);
}

void MethodSheetWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
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
