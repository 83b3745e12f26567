// The window driven as a user drives it, offscreen: a click on a file in the list until the
// result is on the screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "bench/photo.h"
#include "ui/form1.h"

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
