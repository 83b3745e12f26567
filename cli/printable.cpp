#include "cli/printable.h"

namespace vorbix {

QString Printable(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\') shown += "\\\\";
        else if (u == '\n') shown += "\\n";
        else if (u == '\t') shown += "\\t";
        else if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0)) shown += QString("\\x%1").arg(u, 2, 16, QChar('0'));
        else shown += c;
    }
    return shown;
}

}  // namespace vorbix
