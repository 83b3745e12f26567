#pragma once

// vorbix-cli: command-line options, the batch of pictures converted in parallel, each on a fresh
// document, and the screen renderer command. Uses every folder below the windows and Qt Core.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "cli/cli_options.h"
#include "core/memory_budget.h"

namespace vorbix {

// What --refine did: the time it took, the likeness and the colour difference before and after.
struct RefineFigures {
    double seconds = 0;
    double before = 0;
    double after = 0;
    double deltaEBefore = 0;
    double deltaEAfter = 0;
    bool converged = false;
};

// A set "Best colours" offered: its swatches as RRGGBB and its score.
struct CandidateFigures {
    QStringList palette;
    double likeness = 0;
};

struct PictureOutcome {
    QString input{};
    std::optional<QString> error{};  // why it failed
    int colours = 0;
    int milliseconds = 0;
    double likeness = 0;  // of the machine's picture to the source view: lower is closer
    double deltaE = 0;    // S-CIELAB ΔE of the same pictures
    QStringList palette{};  // the swatches used in Graphics 2 and 4, as RRGGBB
    QStringList files{};
    QStringList warnings{};  // converted and written, but the TVC will not show it as converted
    QStringList notes{};     // for stderr: how long each program file takes to load
    std::optional<double> loadSeconds{};  // of the program file or sound written
    std::optional<RefineFigures> refinement{};  // with --refine
    std::vector<CandidateFigures> candidates{};  // with best colours, best first
};

// The files one picture's conversion writes.
struct OutputNames {
    QString bmp;
    QString bin;
    QString tim;
    QString work;  // empty: none
    QString cas;   // empty: none
    QString wav;   // empty: none
    QString sheet;  // empty: none
};

// Fixed names for one picture, names after each picture for several.
std::vector<OutputNames> PlanOutputs(const CliOptions& options);

// A file the plan writes twice (--work or --sheet naming another output).
std::optional<QString> OutputWrittenTwice(const std::vector<OutputNames>& plan);

// An output named that is one of the input files, which are never overwritten.
std::optional<QString> InputAmongOutputs(const OutputNames& names, const QStringList& inputs);

// Threads at work at once for --jobs (0: not given): more than the cores cannot help, and each
// takes a stack; the pictures beyond wait their turn.
int WorkerCount(int jobs);

// Converts the picture numbered on a fresh session as the command line describes and writes its files.
PictureOutcome ConvertPicture(const CliOptions& options, int picture, const OutputNames& names);

// Every file of the session's result the names ask for, written as one group, and what the
// outcome reports of them; outcome.error says why when they could not be written.
void WriteOutputs(const Session& session, const CliOptions& options, const OutputNames& names, PictureOutcome& outcome);

// Every picture, in parallel on the shared thread pool, whose limit becomes threads; outcomes in
// input order. Each picture reserves its memory from the budget before it is decoded, so that
// pictures converted at once stay under it together.
std::vector<PictureOutcome> ConvertAll(const CliOptions& options, int threads, MemoryBudget& budget);

QString OutcomeJson(const CliOptions& options, const PictureOutcome& outcome);

}  // namespace vorbix
