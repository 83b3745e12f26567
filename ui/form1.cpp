#include "ui/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>

#include "dither/methods.h"
#include "ui/controls.h"
#include "ui/method_sheet_window.h"

namespace vorbix {

namespace {

const QString kTitle = "Vorbix 1.02";

ColorValue ColorOf(const QColor& c) { return MakeColor(c.red(), c.green(), c.blue()); }

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
    setFixedSize(1197, 730);
    setAcceptDrops(true);
    BuildFileList();
    BuildViews();
    BuildSliders();
    BuildCommands();
    BuildSave();
    BuildInspector();
    BuildSwatches();
    BuildModeAndMethod();
    status_ = Place(new QLabel(this), "Status", QRect(592, 704, 448, 17));
    session_.SetOutsideColor(ColorOf(palette().color(QPalette::Window)));
    form2_ = new Form2(this, session_, [this] { ShowState(); });
    BuildCompare();
    BuildScreenFile();
    BuildUndo();
    ShowFolder(folder);
    ShowState();
}

void Form1::BuildViews() {
    struct View {
        const char* name;
        QRect place;
        const Picture& picture;
        bool shown;
    };
    // The work surfaces and the unscaled picture are the program's own; they stay hidden.
    const View views[] = {
        {"Pic5", QRect(8, 8, 512, 480), session_.Pic5(), true},
        {"Pic2", QRect(528, 8, 512, 480), session_.Pic2(), true},
        {"TVC2", QRect(8, 8, 512, 240), session_.WorkSurface(TvcMode::Graphics2), false},
        {"TVC4", QRect(8, 248, 256, 240), session_.WorkSurface(TvcMode::Graphics4), false},
        {"TVC16", QRect(392, 248, 128, 240), session_.WorkSurface(TvcMode::Graphics16), false},
        {"Pic1", QRect(392, 688, 96, 64), session_.Pic1(), false},
    };
    for (const View& view : views) {
        auto* widget = Place(new PictureView(this, &view.picture), view.name, view.place);
        widget->setVisible(view.shown);
    }
    pic5_ = findChild<PictureView*>("Pic5");
    pic2_ = findChild<PictureView*>("Pic2");
    pic5_->setToolTip("The picture as loaded, scaled and adjusted");
}

void Form1::BuildModeAndMethod() {
    auto* frame2 = Place(new QGroupBox("TVC MODE", this), "Frame2", QRect(1048, 304, 145, 81));
    for (int i = 0; i < 3; ++i) {
        option2_[i] = Place(new QRadioButton(kModeCaptions[i], frame2), QString("Option2_%1").arg(i),
                            QRect(8, 24 + 16 * i, 129, 17));
        connect(option2_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option2_Click(i);
        });
    }
    auto* frame1 = Place(new QGroupBox("DITHER MODE", this), "Frame1", QRect(1048, 392, 145, 337));
    for (const MethodInfo& method : Methods()) {
        const int i = method.index;
        const int top = i == kMethodCount ? 288 : 24 + 16 * (i - 1);
        option1_[i] = Place(new QRadioButton(QString::fromUtf8(method.caption.data(), method.caption.size()), frame1),
                            QString("Option1_%1").arg(i), QRect(16, top, 121, 17));
        connect(option1_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option1_Click(i);
        });
    }
    check2_ = Place(new QCheckBox("Auto Palette", frame1), "Check2", QRect(16, 304, 113, 17));
    check2_->setToolTip("Switch off the mixes the picture does not use, at every conversion");
    connect(check2_, &QCheckBox::toggled, this, [this](bool on) { session_.SetAutoPalette(on); });
    check3_ = Place(new QCheckBox("Resize ", this), "Check3", QRect(680, 496, 73, 17));
    check3_->setToolTip("Fit the whole picture to 512 × 480 when loading");
    connect(check3_, &QCheckBox::toggled, this, [this](bool on) { session_.SetResize(on); });
}

void Form1::BuildCommands() {
    AddButton(this, "Command6", QRect(448, 528, 73, 33), "Set",
              "Make the adjusted picture the loaded one, so that the next slider starts from it",
              [this] { Command6_Click(); });
    AddButton(this, "Command1", QRect(224, 688, 65, 33), "Command1", "Convert the picture again",
              [this] { Command1_Click(); });
    AddButton(this, "Command2", QRect(296, 688, 65, 33), "Command2",
              "Reduce the source picture to the colours of the pattern mixes (no conversion)",
              [this] { Command2_Click(); });
    // Controls the program works itself: nothing reads the check boxes, and the screen files
    // are written by "Save" and "Save As".
    const char* const channels[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        auto* check = Place(new QCheckBox(channels[i], this), QString("Check1_%1").arg(i), QRect(160, 680 + 16 * i, 33, 17));
        check->setChecked(true);
        check->hide();
    }
    const char* const writers[][2] = {{"Command4", "Save bin 16"}, {"Command8", "Save bin 4"}, {"Command9", "Save bin 2"}};
    for (int i = 0; i < 3; ++i)
        Place(new QPushButton(writers[i][1], this), writers[i][0], QRect(832 + 72 * i, 656, 65, 33))->hide();

    Place(new QLabel("Colors Used:", this), "Label5", QRect(168, 496, 65, 17));
    label6_ = Place(new QLabel(this), "Label6", QRect(240, 496, 73, 17));
    Place(new QLabel("Colors Used:", this), "Label8", QRect(528, 496, 65, 17));
    label7_ = Place(new QLabel(this), "Label7", QRect(600, 496, 73, 17));
    label10_ = Place(new QLabel(this), "Label10", QRect(504, 704, 41, 17));
    // The number stands beside its unit.
    label10_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label10_->setContentsMargins(0, 0, 4, 0);
    Place(new QLabel("msec", this), "Label11", QRect(544, 704, 33, 17));
}

void Form1::Option1_Click(int index) {
    session_.Option1_Click(index);
    ShowState();
    ShowConversion(option1_[index]->text());
}

void Form1::Option2_Click(int index) {
    session_.Option2_Click(index);
    ShowState();
    ShowConversion(kModeCaptions[index]);
}

void Form1::Command1_Click() {
    session_.Command1_Click();
    ShowState();
    ShowConversion("Converted");
}

void Form1::Command2_Click() {
    history_.Run(session_, EditKind::Command2, [this] { session_.Command2_Click(); });
    ShowState();
    SetStatus("The source picture now holds only the colours of the pattern mixes");
}

void Form1::Command6_Click() {
    history_.Run(session_, EditKind::Set, [this] { session_.Command6_Click(); });
    ShowState();
    SetStatus("The adjusted picture is now the loaded picture");
}

void Form1::ShowState() {
    ShowTitle();
    ShowModeAndMethod();
    ShowCounts();
    ShowSliders();
    ShowSwatches();
    ShowInspector();
    pic5_->update();
    pic2_->Show(&session_.Pic2());
    form2_->ShowState();
    if (sheet_) sheet_->Follow();
}

void Form1::ShowTitle() { setWindowTitle(pictureName_.isEmpty() ? kTitle : kTitle + " - " + pictureName_); }

void Form1::ShowModeAndMethod() {
    const QSignalBlocker blockMode(option2_[static_cast<int>(session_.Mode())]);
    option2_[static_cast<int>(session_.Mode())]->setChecked(true);
    const QSignalBlocker blockMethod(option1_[session_.Method()]);
    option1_[session_.Method()]->setChecked(true);
    const QSignalBlocker blockAuto(check2_);
    check2_->setChecked(session_.AutoPalette());
    const QSignalBlocker blockResize(check3_);
    check3_->setChecked(session_.Resize());
}

void Form1::ShowCounts() {
    label6_->setText(QString::number(session_.LoadedColors()));
    label7_->setText(QString::number(session_.ResultColors()));
    label10_->setText(QString::number(session_.LastMilliseconds()));
}

void Form1::ShowConversion(const QString& action) {
    SetStatus(QString("%1: %2 colours in %3 ms").arg(action).arg(session_.ResultColors()).arg(session_.LastMilliseconds()));
}

void Form1::SetStatus(const QString& text) {
    status_->setText(status_->fontMetrics().elidedText(text, Qt::ElideMiddle, status_->width()));
    status_->setToolTip(text);
}

void Form1::ReportError(const QString& message) {
    SetStatus(message);
    dialogs_.error(this, message);
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (chartPlaced_) return;
    chartPlaced_ = true;
    QPoint place = geometry().topRight() + QPoint(16, 0);
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        place.setX(std::min(place.x(), room.right() - form2_->width()));
    }
    form2_->move(place);
    form2_->show();
}

void Form1::closeEvent(QCloseEvent* event) {
    form2_->close();
    QWidget::closeEvent(event);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    const QString path = FirstLocalFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    if (path.endsWith(".tim", Qt::CaseInsensitive))
        OpenScreenFile(path);
    else
        LoadPicture(path);
}

}  // namespace vorbix
