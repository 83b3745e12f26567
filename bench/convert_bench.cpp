#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>

#include "bench/photo.h"
#include "core/colour_count.h"
#include "dither/methods.h"
#include "io/picture_decode.h"
#include "pipeline/best_colours.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

constexpr int kBigWidth = 6000;
constexpr int kBigHeight = 4000;

void SaveJpeg(const Picture& photo, const QString& path) {
    QImage(photo.Data(), photo.Width(), photo.Height(), photo.Width() * 3, QImage::Format_BGR888).save(path, "JPEG", 90);
}

const Picture& BigPhoto() {
    static const Picture photo = PhotoLikePicture(kBigWidth, kBigHeight);
    return photo;
}

const QString& BigJpeg() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath("big.jpg");
        SaveJpeg(BigPhoto(), file);
        return file;
    }();
    return path;
}

// The whole Convert command on a 512 x 480 photo, for each mode and method.
void BM_Convert(benchmark::State& bench) {
    const int mode = static_cast<int>(bench.range(0));
    const int method = static_cast<int>(bench.range(1));
    Session session;
    session.Load(PhotoLikePicture(512, 480));
    session.ChooseMode(static_cast<TvcMode>(mode));
    session.ChooseMethod(method);
    for (auto _ : bench) session.Reconvert();
    bench.SetLabel(std::string(MethodNumbered(method).caption));
}
BENCHMARK(BM_Convert)->ArgsProduct({{0, 1, 2}, benchmark::CreateDenseRange(1, kAllMethodCount, 1)})->Unit(benchmark::kMillisecond);

// A slider handler with a 24-megapixel picture loaded: rebuild the view, adjust, convert.
void BM_SliderMove(benchmark::State& bench) {
    const Slider slider = static_cast<Slider>(bench.range(0));
    Session session;
    session.Load(BigPhoto());
    int value = 30;
    for (auto _ : bench) {
        session.MoveSlider(slider, value);
        value = value == 30 ? 70 : 30;
    }
}
BENCHMARK(BM_SliderMove)->DenseRange(0, kSliderCount - 1)->Unit(benchmark::kMillisecond);

// Choosing a 24-megapixel JPEG in the file list with "Resize" on: decode at the DCT scale that
// covers the source view, scale, count, three conversions.
void BM_LoadBigJpeg(benchmark::State& bench) {
    const std::string path = BigJpeg().toStdString();
    for (auto _ : bench) {
        Session session;
        session.Load(ReadPicture(path, kMaxPicturePixels, Cover{kPreviewWidth, kPreviewHeight}).Value());
        benchmark::DoNotOptimize(session.ResultColours());
    }
}
BENCHMARK(BM_LoadBigJpeg)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Best colours" for a 512 x 480 photo with Floyd: every set on a reduced copy, the front-runners in full.
void BM_BestSwatches(benchmark::State& bench) {
    const TvcMode mode = static_cast<TvcMode>(bench.range(0));
    Session session;
    session.ChooseMode(mode);
    session.ChooseMethod(2);
    session.Load(PhotoLikePicture(512, 480));
    for (auto _ : bench) benchmark::DoNotOptimize(BestSwatches(session, mode));
}
BENCHMARK(BM_BestSwatches)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CountColours(benchmark::State& bench) {
    const Picture picture = bench.range(0) == 0 ? PhotoLikePicture(512, 480) : BigPhoto();
    for (auto _ : bench) benchmark::DoNotOptimize(CountColours(picture));
}
BENCHMARK(BM_CountColours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// vorbix-cli on a folder of 100 photos, one picture at a time against one per core.
void BM_CliBatch(benchmark::State& bench) {
    static QTemporaryDir dir;
    static const QStringList photos = [] {
        QStringList files;
        for (int i = 0; i < 100; ++i) {
            files.append(dir.filePath(QString("photo%1.jpg").arg(i)));
            SaveJpeg(PhotoLikePicture(800 + i, 600), files.back());
        }
        return files;
    }();
    const QString jobs = QString::number(bench.range(0));
    for (auto _ : bench) {
        QProcess cli;
        cli.start(VORBIX_CLI, QStringList{"--jobs", jobs, "--out-dir", dir.filePath("out")} + photos);
        cli.waitForFinished(-1);
        if (cli.exitCode() != 0) bench.SkipWithError("vorbix-cli failed");
    }
}
BENCHMARK(BM_CliBatch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace vorbix

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
