#pragma once

// For the Qt front ends: a name as the system spells it, to open files by.

#include <QFile>
#include <QString>
#include <string>

namespace vorbix {

inline std::string LocalName(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace vorbix
