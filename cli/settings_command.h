#pragma once

#include <QTextStream>

#include "cli/cli_options.h"

namespace vorbix {

// vorbix-cli --settings FILE [PICTURE]: replays a settings file on the picture (by default the
// one it names, beside it), writes out24.bmp, screen.bin and screen.tim into --out-dir (and the
// --work, --cas, --wav and --sheet files asked for, all as one group, never over the picture),
// and says whether screen.tim is the file the settings name. Exit status: 0 the same, 1
// different (what differs on stderr) or unreadable, 2 usage.
int ReplaySettingsCommand(const CliOptions& options, QTextStream& out, QTextStream& err);

}  // namespace vorbix
