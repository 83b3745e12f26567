// The window driven as a user drives it, offscreen: a click on a file in the list until the
// result is on the screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QScrollBar>
#include <QTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "bench/photo.h"
#include "ui/form1.h"
#include "ui/method_sheet_window.h"

namespace vorbix {
namespace {

void SaveJpeg(const Picture& photo, const QString& path) {
    QImage(photo.Data(), photo.Width(), photo.Height(), photo.Width() * 3, QImage::Format_BGR888).save(path, "JPEG", 90);
}

void ClickFile(QListWidget& list, const QString& name) {
    const auto items = list.findItems(name, Qt::MatchExactly);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(items.first()).center());
    QApplication::processEvents();
}

// A click on a 24-megapixel photo in the file list ("Resize" ticked): decode, scale, count, three
// conversions, and the window repainted. A small picture is clicked between the timed clicks.
void BM_ClickOnA24MegapixelPhoto(benchmark::State& bench) {
    QTemporaryDir dir;
    SaveJpeg(PhotoLikePicture(6000, 4000), dir.filePath("big.jpg"));
    SaveJpeg(PhotoLikePicture(320, 240), dir.filePath("small.jpg"));
    Form1 window(dir.path());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) bench.SkipWithError("the window was never shown");
    auto* list = window.findChild<QListWidget*>("File2");
    for (auto _ : bench) {
        bench.PauseTiming();
        ClickFile(*list, "small.jpg");
        bench.ResumeTiming();
        ClickFile(*list, "big.jpg");
    }
}
BENCHMARK(BM_ClickOnA24MegapixelPhoto)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Runs the event loop for that long and gives the longest time it spent away from it.
class StallMeter {
public:
    StallMeter() {
        ticks_.setInterval(1);
        QObject::connect(&ticks_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        longest_ = 0;
        clock_.start();
        last_ = 0;
        ticks_.start();
    }
    qint64 Stop() {
        Tick();
        ticks_.stop();
        return longest_;
    }

private:
    void Tick() {
        const qint64 now = clock_.elapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QTimer ticks_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

// As the program's own loop does, the thread sleeps while no event waits: one that spins instead
// is always runnable, and a loaded machine then shares it out in time slices.
void RunEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// "Compare methods" open in Graphics 4 with each method's best colours, on a 24-megapixel photo,
// while "Brightness" is dragged a step at a time: the longest the window stops answering, from
// the first step until the sheet is worked out again. Reported as largest_stall_ms.
void BM_SliderDragWithCompareMethodsOpen(benchmark::State& bench) {
    QTemporaryDir dir;
    SaveJpeg(PhotoLikePicture(6000, 4000), dir.filePath("big.jpg"));
    Form1 window(dir.path());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) bench.SkipWithError("the window was never shown");
    window.Option2_Click(1);
    ClickFile(*window.findChild<QListWidget*>("File2"), "big.jpg");
    window.CompareMethods_Click();
    QWidget* sheet = window.SheetWindow();
    sheet->findChild<QCheckBox*>("EachWithBestColours")->setChecked(true);
    RunEventsFor(20000);
    auto* slider = window.findChild<QScrollBar*>("HScroll1");
    StallMeter meter;
    qint64 largest = 0;
    int value = 50;
    for (auto _ : bench) {
        meter.Start();
        for (int step = 0; step < 5; ++step) {
            slider->setValue(++value);
            RunEventsFor(40);
        }
        RunEventsFor(8000);
        largest = std::max(largest, meter.Stop());
    }
    bench.counters["largest_stall_ms"] = static_cast<double>(largest);
}
BENCHMARK(BM_SliderDragWithCompareMethodsOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace vorbix

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
