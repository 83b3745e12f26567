#include "ui/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>

#include "core/thread_pool.h"
#include "dither/methods.h"
#include "pipeline/likeness_of.h"
#include "ui/controls.h"
#include "ui/method_sheet_window.h"
#include "ui/zoomed_previews.h"

namespace vorbix {

namespace {

const QString kTitle = "Vorbix 1.02";

QString FirstLocalFile(const QMimeData* data) {
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

Form1::Form1(const QString& folder, Form1Dialogs dialogs)
    : dialogs_(std::move(dialogs)), programFolder_(QCoreApplication::applicationDirPath()) {
    setWindowTitle(kTitle);
    UseCompactLook(this);
    // Background work holding every place of the pool must not stall the window.
    ThreadPool::NeverWaitOnThisThread();
    client_ = new GrowingClient(this, QSize(1349, 730));
    client_->setObjectName("Client");
    setCentralWidget(client_);
    setAcceptDrops(true);
    BuildFileList();
    BuildViews();
    BuildSliders();
    BuildCommands();
    BuildSave();
    BuildInspector();
    BuildSwatches();
    BuildModeAndMethod();
    status_ = Place(new StatusLine(client_), "Status", QRect(592, 704, 448, 17));
    BuildBackToFolder();
    form2_ = new Form2(this, session_, [this](const QString& action) {
        ShowState();
        ShowConversion(action);
    });
    BuildCompare();
    BuildScreenFile();
    BuildUndo();
    BuildRefine();
    BuildMenus();
    SetTabOrder();
    client_->TakeBasePlaces(pic5_, pic2_, {file2_, client_->findChild<QWidget*>("Command5"), status_, backToFolder_});
    RestoreRemembered();
    ShowFolder(folder.isEmpty() ? (recentFolders_.isEmpty() ? QDir::currentPath() : recentFolders_.first()) : folder);
    ShowState();
}

void Form1::BuildViews() {
    pic5_ = Place(new PictureView(client_, &session_.SourceView()), "Pic5", QRect(8, 8, kPreviewWidth, kPreviewHeight));
    pic2_ = Place(new PictureView(client_, &session_.Preview()), "Pic2", QRect(528, 8, kPreviewWidth, kPreviewHeight));
    pic5_->setToolTip("The picture as loaded, scaled and adjusted. Ctrl+wheel zooms, dragging pans.");
    // Both previews show the same part of the picture, so that source and result stay side by side.
    for (PictureView* view : {pic5_, pic2_}) view->MakeZoomable();
    pic5_->onViewChange = [this] { pic2_->Follow(*pic5_); };
    pic2_->onViewChange = [this] { pic5_->Follow(*pic2_); };
}

void Form1::BuildModeAndMethod() {
    auto* frame2 = Place(new QGroupBox("TVC MODE", client_), "Frame2", QRect(1048, 304, 145, 81));
    for (int i = 0; i < 3; ++i) {
        const std::string_view caption = kModes[i].caption;
        option2_[i] = Place(new QRadioButton(QString::fromUtf8(caption.data(), caption.size()), frame2),
                            QString("Option2_%1").arg(i), QRect(8, 24 + 16 * i, 129, 17));
        connect(option2_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option2_Click(i);
        });
    }
    auto* frame1 = Place(new QGroupBox("DITHER MODE", client_), "Frame1", QRect(1048, 392, 145, 337));
    // The methods that mix in linear light continue the list in a column of their own: the window
    // has no room below the seventeen on a 768-pixel-high screen.
    constexpr int kLaterMethods = kAllMethodCount - kMethodCount;
    auto* linearFrame = Place(new QGroupBox("LINEAR LIGHT", client_), "LinearLightFrame",
                              QRect(1200, 392, 145, 32 + 16 * kLaterMethods));
    methodButtons_ = new QButtonGroup(this);
    for (const Method& method : AllMethods()) {
        const int i = method.number;
        const bool later = i > kMethodCount;
        const int top = i == kMethodCount ? 288 : later ? 24 + 16 * (i - kMethodCount - 1) : 24 + 16 * (i - 1);
        option1_[i] = Place(new QRadioButton(QString::fromUtf8(method.caption.data(), method.caption.size()),
                                             later ? linearFrame : frame1),
                            QString("Option1_%1").arg(i), QRect(16, top, 121, 17));
        methodButtons_->addButton(option1_[i], i);
        connect(option1_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option1_Click(i);
        });
    }
    check2_ = Place(new QCheckBox("Auto Palette", frame1), "Check2", QRect(16, 304, 113, 17));
    check2_->setToolTip("Switch off the mixes the picture does not use, at every conversion");
    connect(check2_, &QCheckBox::toggled, this, [this](bool on) { SettledSession().SetAutoPalette(on); });
    check3_ = Place(new QCheckBox("Resize ", client_), "Check3", QRect(680, 496, 73, 17));
    check3_->setToolTip("Fit the whole picture to 512 × 480 when loading");
    connect(check3_, &QCheckBox::toggled, this, [this](bool on) { SettledSession().SetResize(on); });
    keepShape_ = Place(new QComboBox(client_), "KeepShape", QRect(754, 493, 74, 22));
    for (KeepShape shape : {KeepShape::Stretch, KeepShape::Fit, KeepShape::Fill})
        keepShape_->addItem(QString::fromUtf8(KeepShapeName(shape).data(), static_cast<qsizetype>(KeepShapeName(shape).size())));
    keepShape_->setToolTip("How \"Resize\" scales a picture of another shape: stretch it to 512 × 480, fit it whole "
                           "between black bars, or fill the screen and crop the middle. Loads the picture again.");
    connect(keepShape_, &QComboBox::currentIndexChanged, this,
            [this](int index) { KeepShape_Change(static_cast<KeepShape>(index)); });
}

void Form1::KeepShape_Change(KeepShape shape) {
    SettledSession().SetKeepShape(shape);
    if (!picturePath_.isEmpty() && session_.Settings().resize) LoadPicture(picturePath_);
}

void Form1::BuildCommands() {
    AddButton(client_, "Command6", QRect(448, 528, 73, 33), "Set",
              "Make the adjusted picture the loaded one, so that the next slider starts from it",
              [this] { Command6_Click(); });
    const auto command1 = AddButton(client_, "Command1", QRect(224, 688, 65, 33), "Command1", "Convert the picture again",
                                    [this] { Command1_Click(); });
    const auto command2 = AddButton(client_, "Command2", QRect(296, 688, 65, 33), "Command2",
                                    "Reduce the source picture to the colours of the pattern mixes (no conversion)",
                                    [this] { Command2_Click(); });
    // A button's frame takes a few pixels each side.
    for (QPushButton* button : {command1, command2}) FitCaption(button, button->text(), button->width() - 8);

    for (const auto& [name, x] : {std::pair{"Label5", 168}, std::pair{"Label8", 528}}) {
        auto* caption = Place(new QLabel("Colors Used:", client_), name, QRect(x, 496, 65, 17));
        FitCaption(caption, caption->text(), caption->width());
    }
    label6_ = Place(new QLabel(client_), "Label6", QRect(240, 496, 73, 17));
    label7_ = Place(new QLabel(client_), "Label7", QRect(600, 496, 73, 17));
    likeness_ = Place(new QLabel(client_), "Likeness", QRect(832, 488, 118, 16));
    likenessTimer_.setSingleShot(true);
    connect(&likenessTimer_, &QTimer::timeout, this, [this] { ShowLikeness(); });
    label10_ = Place(new QLabel(client_), "Label10", QRect(504, 704, 41, 17));
    // The number stands beside its unit.
    label10_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label10_->setContentsMargins(0, 0, 4, 0);
    Place(new QLabel("msec", client_), "Label11", QRect(544, 704, 33, 17));
}

QStringList Form1::TabOrder() {
    QStringList names = {"File2", "Command5", "Folder"};
    for (int n = 1; n <= kSliderCount; ++n) names << QString("HScroll%1").arg(n) << QString("Text%1").arg(n);
    names << "Command1" << "Command2" << "Command6" << "Command3" << "Command7" << "SaveProgram" << "Check3"
          << "KeepShape"          << "CompareMethods" << "OpenScreenFile" << "Refine" << "BackToFolder";
    for (int i = 0; i < 16; ++i) names << QString("Label1_%1").arg(i);
    for (int i = 0; i < 4; ++i) names << QString("Label2_%1").arg(i);
    names << "BestColours4" << "Label3_0" << "Label3_1" << "BestColours2";
    for (int i = 0; i < 3; ++i) names << QString("Option2_%1").arg(i);
    for (int i = 1; i <= kMethodCount; ++i) names << QString("Option1_%1").arg(i);
    names << "Check2";
    for (int i = kMethodCount + 1; i <= kAllMethodCount; ++i) names << QString("Option1_%1").arg(i);
    return names;
}

void Form1::SetTabOrder() {
    QWidget* previous = nullptr;
    for (const QString& name : TabOrder()) {
        QWidget* control = client_->findChild<QWidget*>(name);
        if (previous) setTabOrder(previous, control);
        previous = control;
    }
}

void Form1::Option1_Click(int index) {
    SettledSession().ChooseMethod(index);
    ShowState();
    ShowConversion(option1_[index]->text());
}

void Form1::Option2_Click(int index) {
    if (index < 0 || index > 2) return;
    SettledSession().ChooseMode(static_cast<TvcMode>(index));
    ShowState();
    ShowConversion(option2_[index]->text());
}

void Form1::Command1_Click() {
    SettledSession().Reconvert();
    ShowState();
    ShowConversion("Converted");
}

void Form1::Command2_Click() {
    history_.Run(SettledSession(), EditKind::SnapToMixes, [this] { session_.SnapSourceToMixes(); });
    ShowState();
    SetStatus("The source picture now holds only the colours of the pattern mixes");
}

void Form1::Command6_Click() {
    history_.Run(SettledSession(), EditKind::Commit, [this] { session_.Commit(); });
    ShowState();
    SetStatus("The adjusted picture is now the loaded picture");
}

void Form1::ShowState() {
    ShowTitle();
    ShowSaveTarget();
    ShowModeAndMethod();
    ShowCounts();
    ShowSliders();
    ShowSwatches();
    Inspect();
    ShowInspector();
    pic5_->update();
    pic2_->Show(&session_.Preview());
    if (zoomed_) zoomed_->Show(&session_.SourceView(), &session_.Preview());
    form2_->ShowState();
    if (sheet_) sheet_->Follow();
    // A refinement of a result that a conversion has replaced is of no use; nor is a settings
    // file's replay that the user has turned away from.
    if (task_ && taskConversion_ && session_.ConversionCount() != *taskConversion_) task_->Cancel();
}

void Form1::ShowTitle() { setWindowTitle(pictureName_.isEmpty() ? kTitle : kTitle + " - " + pictureName_); }

void Form1::ShowModeAndMethod() {
    const QSignalBlocker blockMode(option2_[static_cast<int>(session_.Mode())]);
    option2_[static_cast<int>(session_.Mode())]->setChecked(true);
    const QSignalBlocker blockMethod(option1_[session_.Method()]);
    option1_[session_.Method()]->setChecked(true);
    const QSignalBlocker blockAuto(check2_);
    check2_->setChecked(session_.Settings().autoPalette);
    const QSignalBlocker blockResize(check3_);
    check3_->setChecked(session_.Settings().resize);
    const QSignalBlocker blockShape(keepShape_);
    keepShape_->setCurrentIndex(static_cast<int>(session_.Settings().keepShape));
}

void Form1::ShowCounts() {
    label6_->setText(QString::number(session_.LoadedColours()));
    label7_->setText(QString::number(session_.ResultColours()));
    label10_->setText(QString::number(session_.Milliseconds()));
    ScheduleLikeness();
}

void Form1::ScheduleLikeness() {
    if (session_.ConversionCount() == 0 || session_.ShowsScreenFile()) {
        likenessRequest_.Forget();
        return likeness_->clear();
    }
    if (!likenessTimer_.isActive()) likenessTimer_.start(0);
}

void Form1::ShowLikeness() {
    if (session_.ShowsScreenFile()) return likeness_->clear();
    const TvcMode mode = session_.Mode();
    likenessRequest_.Ask([this, source = session_.SourceView(), mode, surface = session_.Surface(mode),
                          palette = session_.PaletteInUse()]() -> NewestRequest::Answer {
        const double likeness = LikenessOf(source, mode, surface, palette);
        const double deltaE = DeltaEOf(source, mode, surface, palette);
        return [this, likeness, deltaE] {
            likeness_->setText(QString("Likeness %1").arg(likeness, 0, 'f', 1));
            likeness_->setToolTip(QString("How unlike the adjusted source the TVC's picture looks at TV viewing "
                                          "distance: its colours (S-CIELAB ΔE %1), the same seen from further off, "
                                          "and its lightness edges and points. Lower is closer; 0 is identical.")
                                      .arg(deltaE, 0, 'f', 1));
        };
    });
}

void Form1::ShowConversion(const QString& action) {
    SetStatus(QString("%1: %2 colours in %3 ms").arg(action).arg(session_.ResultColours()).arg(session_.Milliseconds()));
}

void Form1::SetStatus(const QString& text, const QString& path) { status_->Say(text, path); }

void Form1::ReportError(const QString& message) {
    SetStatus(message);
    dialogs_.error(this, message);
}

void Form1::setVisible(bool visible) {
    QMainWindow::setVisible(visible);
    if (!visible || chartPlaced_) return;
    chartPlaced_ = true;
    PlaceChart();
    // Shown after this window, so that a window manager knows the window the chart is a tool of
    // and keeps it above; the focus stays here.
    form2_->setAttribute(Qt::WA_ShowWithoutActivating);
    form2_->show();
    activateWindow();
}

void Form1::closeEvent(QCloseEvent* event) {
    Remember();
    task_.reset();
    // Closing the main window ends the program, whatever else is open.
    form2_->close();
    if (sheet_) sheet_->close();
    if (zoomed_) zoomed_->close();
    QMainWindow::closeEvent(event);
}

void Form1::ShowChart() {
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    const QString path = FirstLocalFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // The drag source waits until the drop returns, so the work (and any message) comes after it.
    QTimer::singleShot(0, this, [this, path] {
        if (QFileInfo(path).isDir())
            ShowFolder(path);
        else if (path.endsWith(".tim", Qt::CaseInsensitive))
            OpenScreenFile(path);
        else
            LoadPicture(path);
    });
}

}  // namespace vorbix
