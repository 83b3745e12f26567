// Arbitrary command lines: the input split at NUL bytes into arguments.
#include <QCoreApplication>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "cli/batch.h"
#include "cli/cli_options.h"
#include "dither/methods.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorbix;
    QStringList arguments;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i)
        if (i == size || data[i] == 0) {
            arguments.append(QString::fromUtf8(text + start, static_cast<qsizetype>(i - start)));
            start = i + 1;
        }
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.options) {
        if (!parsed.help && !parsed.error) std::abort();
        return 0;
    }
    const CliOptions& options = *parsed.options;
    if (!IsMethodNumber(options.method) || options.pictures.isEmpty()) std::abort();
    for (const auto& value : options.sliders)
        if (value && (*value < 0 || *value > 100)) std::abort();
    if (PlanOutputs(options).size() != static_cast<std::size_t>(options.pictures.size())) std::abort();
    PictureOutcome outcome;
    outcome.input = options.pictures.first();
    OutcomeJson(options, outcome);
    return 0;
}
