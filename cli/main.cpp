#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include "cli/batch.h"
#include "cli/cli_options.h"
#include "cli/printable.h"
#include "cli/render_command.h"
#include "cli/settings_command.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vorbix-cli");
    QCoreApplication::setApplicationVersion(VORBIX_VERSION);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const vorbix::ParsedCommandLine parsed = vorbix::ParseCommandLine(app.arguments().mid(1));
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (parsed.help) {
        out << parsed.helpText;
        return 0;
    }
    if (parsed.version) {
        out << "vorbix-cli " << VORBIX_VERSION << "\n" << VORBIX_LICENCE << "\n";
        return 0;
    }
    if (!parsed.options) {
        err << "vorbix-cli: " << vorbix::Printable(parsed.error.value_or("")) << "\n" << "Try 'vorbix-cli --help'.\n";
        return 2;
    }
    vorbix::CliOptions options = *parsed.options;
    options.pictureFiles = vorbix::LocalNames(options.pictures, raw);
    options.renderFile = vorbix::LocalNames({options.render}, raw).front();
    options.settingsFile = vorbix::LocalNames({options.settings}, raw).front();
    if (const auto twice = vorbix::OutputWrittenTwice(vorbix::PlanOutputs(options))) {
        err << "vorbix-cli: " << vorbix::Printable(*twice) << " would be written twice by this run\n" << "Try 'vorbix-cli --help'.\n";
        return 2;
    }
    if (!options.render.isEmpty()) return vorbix::RenderScreenCommand(options, err);
    if (!options.settings.isEmpty()) return vorbix::ReplaySettingsCommand(options, out, err);
    if (!QDir().mkpath(options.outDir)) {
        err << "vorbix-cli: cannot create the folder " << vorbix::Printable(options.outDir) << "\n";
        return 1;
    }
    vorbix::MemoryBudget budget(vorbix::MemoryBudget::HalfOfTheMachine());
    int status = 0;
    for (const vorbix::PictureOutcome& outcome : vorbix::ConvertAll(options, vorbix::WorkerCount(options.jobs), budget)) {
        if (outcome.error) {
            err << "vorbix-cli: " << vorbix::Printable(*outcome.error) << "\n";
            status = 1;
        }
        for (const QString& warning : outcome.warnings) err << "vorbix-cli: warning: " << vorbix::Printable(warning) << "\n";
        for (const QString& note : outcome.notes) err << "vorbix-cli: " << vorbix::Printable(note) << "\n";
        if (options.json) out << vorbix::OutcomeJson(options, outcome) << "\n";
    }
    return status;
}
