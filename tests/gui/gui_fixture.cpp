#include "gui_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QFile>
#include <QSettings>

namespace vorbix {

QColor QColorOf(ColourValue c) { return QColor(GetRed(c), GetGreen(c), GetBlue(c)); }

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CliRun Cli(const QStringList& arguments) {
    QProcess cli;
    cli.start(VORBIX_CLI, arguments);
    cli.waitForFinished(120000);
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError())};
}

QImage GradientPicture() {
    QImage image(48, 40, QImage::Format_RGB888);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) image.setPixelColor(x, y, QColor(x * 5, (x + y) * 2, y * 6));
    return image;
}

void GuiTest::SetUp() {
    ASSERT_TRUE(temp_.isValid());
    // Every test starts from a program that remembers nothing.
    QSettings().clear();
    pictures_ = MakeFolder("pictures");
}

void GuiTest::TearDown() {
    if (form_) form_->close();
    form_.reset();
}

QString GuiTest::MakeFolder(const QString& name) {
    QDir(temp_.path()).mkpath(name);
    return QDir(temp_.path()).filePath(name);
}

QString GuiTest::WritePicture(const QString& name, int width, int height, ColourValue colour, const char* format) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColorOf(colour));
    return WritePicture(name, image, format);
}

QString GuiTest::WritePicture(const QString& name, const QImage& image, const char* format) {
    const QString path = QDir(pictures_).filePath(name);
    EXPECT_TRUE(image.save(path, format, 100)) << path.toStdString();
    return path;
}

QString GuiTest::WriteBytes(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(pictures_).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

void GuiTest::Open() { Open(pictures_); }

void GuiTest::Open(const QString& folder) {
    Form1Dialogs dialogs{
        [this](QWidget*, const QString& startFolder) {
            saveAsStart_ = startFolder;
            return saveAsAnswer_;
        },
        [this](QWidget*, const QString&) { return folderAnswer_; },
        [this](QWidget*, const QString& message) { errors_.append(message); },
        [this](QWidget*, const QString& suggested) {
            programSuggested_ = suggested;
            return programAnswer_;
        },
        [this](QWidget*, const QString&) { return screenFileAnswer_; },
        [this](QWidget*, const QString&) { return settingsSaveAnswer_; },
        [this](QWidget*, const QString&) { return settingsLoadAnswer_; },
        [this](QWidget*, const QString& caption, const QString&) {
            saveFolderAsked_.append(caption);
            return saveFolderAnswer_;
        },
    };
    form_ = std::make_unique<Form1>(folder, dialogs);
    form_->SetProgramFolder(MakeFolder("program"));
    form_->SetRefineSeconds(600);
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
}

void GuiTest::Click(const QString& name, QWidget* window) {
    QWidget* widget = Find(name, window);
    ASSERT_NE(widget, nullptr);
    // Radio buttons and check boxes take clicks on their indicator and caption only.
    const QPoint at = qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QPushButton*>(widget)
                          ? QPoint(6, widget->height() / 2)
                          : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void GuiTest::ClickFile(const QString& name) {
    auto* list = Find<QListWidget>("File2");
    const auto items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

void GuiTest::DropFile(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    // The drop returns at once; the work follows.
    QApplication::processEvents();
}

QStringList GuiTest::ListedFiles() const {
    QStringList names;
    auto* list = form_->findChild<QListWidget*>("File2");
    for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
    return names;
}

void GuiTest::WaitForSlider() const {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form_->SliderMoving(); }, 60000));
}

bool GuiTest::LikenessShown() const {
    const QLabel* likeness = Find<QLabel>("Likeness");
    return QTest::qWaitFor(
        [&] { return likeness->text() == QString("Likeness %1").arg(session().Likeness(), 0, 'f', 1); });
}

void GuiTest::OpenGradientBesideAnother() {
    WritePicture("photo.bmp", GradientPicture());
    WritePicture("other.bmp", 8, 8, MakeColour(10, 200, 30));
    Open();
    ClickFile("photo.bmp");
}

}  // namespace vorbix
