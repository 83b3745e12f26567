#pragma once

#include <QString>

namespace vorbix {

// Text for a terminal line: a name may hold a newline or an escape sequence, which shown raw could
// forge a line or drive the terminal, so control characters become escapes (\n, \t, \xNN) and a
// backslash is doubled.
QString Printable(const QString& text);

}  // namespace vorbix
