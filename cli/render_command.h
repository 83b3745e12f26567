#pragma once

#include <QTextStream>

#include "cli/cli_options.h"

namespace vorbix {

// vorbix-cli --render: draws the screen file as the machine shows it into the PNG, enlarged to
// 512 x 480 as the preview shows a conversion. Returns the exit status; messages go to err.
int RenderScreenCommand(const CliOptions& options, QTextStream& err);

}  // namespace vorbix
