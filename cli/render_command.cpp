#include "cli/render_command.h"

#include <QFile>

#include "cli/png_output.h"
#include "export/cas_file.h"
#include "export/screen_render.h"

namespace vorbix {

namespace {

// A bare image knows neither its mode nor its palette: both come from the options.
ScreenFile BareScreen(const CliOptions& options, const std::vector<std::uint8_t>& bytes) {
    ScreenFile file;
    file.mode = options.mode;
    std::copy(bytes.begin(), bytes.end(), file.image.begin());
    Palette palette;
    if (options.mode == TvcMode::Graphics2)
        for (ColorValue c : options.palette2) palette.push_back(EntryFromColor(c));
    if (options.mode == TvcMode::Graphics4)
        for (ColorValue c : options.palette4) palette.push_back(EntryFromColor(c));
    file.registers = ColourBytesOf(options.mode, palette);
    return file;
}

}  // namespace

int RenderScreenCommand(const CliOptions& options, QTextStream& err) {
    const auto bytes = ReadScreenFileBytes(QFile::encodeName(options.render).toStdString());
    if (const auto* problem = std::get_if<std::string>(&bytes)) {
        err << "vorbix-cli: " << QString::fromStdString(*problem) << "\n";
        return 1;
    }
    const auto& content = std::get<std::vector<std::uint8_t>>(bytes);
    ScreenFile file;
    if (content.size() == static_cast<std::size_t>(kScreenBytes)) {
        file = BareScreen(options, content);
    } else {
        const auto parsed = ParseTimBytes(content);
        if (const auto* problem = std::get_if<std::string>(&parsed)) {
            err << "vorbix-cli: " << options.render << ": " << QString::fromStdString(*problem) << "\n";
            return 1;
        }
        if (options.layoutGiven) {
            err << "vorbix-cli: " << options.render
                << " carries its own mode and palette; --mode, --palette2 and --palette4 are for a bare screen image\n";
            return 2;
        }
        file = std::get<ScreenFile>(parsed);
    }
    if (const QString error = WritePng(options.pictures.first(), RenderScreenLikeThePreview(file)); !error.isEmpty()) {
        err << "vorbix-cli: " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vorbix
