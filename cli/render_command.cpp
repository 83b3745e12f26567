#include "cli/render_command.h"

#include <sys/stat.h>

#include <QFile>

#include "cli/printable.h"
#include "draw/screen_render.h"
#include "io/local_name.h"
#include "io/png_file.h"
#include "io/screen_file.h"

namespace vorbix {

namespace {

// A bare image knows neither its mode nor its palette: both come from the options.
ScreenFile BareScreen(const CliOptions& options, const std::vector<std::uint8_t>& bytes) {
    ScreenFile file;
    file.mode = options.mode;
    std::copy(bytes.begin(), bytes.end(), file.image.begin());
    Palette palette;
    if (options.mode == TvcMode::Graphics2)
        for (ColourValue c : options.palette2) palette.push_back(EntryFromColour(c));
    if (options.mode == TvcMode::Graphics4)
        for (ColourValue c : options.palette4) palette.push_back(EntryFromColour(c));
    file.registers = ColourBytesOf(options.mode, palette);
    return file;
}

// The same file under two names, or one name twice.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

}  // namespace

int RenderScreenCommand(const CliOptions& options, QTextStream& err) {
    const std::string screen = options.renderFile.empty() ? LocalName(options.render) : options.renderFile;
    if (SameFile(screen, PictureFile(options, 0))) {
        err << "vorbix-cli: " << Printable(options.pictures.first()) << ": the screen file drawn, never overwritten\n";
        return 1;
    }
    const auto bytes = ReadScreenFileBytes(screen);
    if (!bytes) {
        err << "vorbix-cli: " << Printable(QString::fromStdString(bytes.Failure().text)) << "\n";
        return 1;
    }
    const std::vector<std::uint8_t>& content = bytes.Value();
    ScreenFile file;
    if (content.size() == static_cast<std::size_t>(kScreenBytes)) {
        file = BareScreen(options, content);
    } else {
        const auto parsed = ParseTimBytes(content);
        if (!parsed) {
            err << "vorbix-cli: " << Printable(options.render + ": " + QString::fromStdString(parsed.Failure().text)) << "\n";
            return 1;
        }
        if (options.layoutGiven) {
            err << "vorbix-cli: " << Printable(options.render)
                << " carries its own mode and palette; --mode, --palette2 and --palette4 are for a bare screen image\n";
            return 2;
        }
        file = parsed.Value();
    }
    const Picture shown = RenderScreenLikeThePreview(file.mode, file.image, file.registers);
    if (Status written = WritePng(PictureFile(options, 0), shown); !written) {
        err << "vorbix-cli: " << Printable(QString::fromStdString(written.Failure().text)) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vorbix
