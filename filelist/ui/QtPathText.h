#pragma once
// Paths between Qt's text and the program's own: UTF-8 on Windows, and on Linux the file
// system's bytes, so that a name in any encoding survives the trip. Qt writes Windows paths with
// forward slashes; the program's path rules (drive roots, collapsed backslashes) and the paths
// shown in the pages take backslashes.
#include <QDir>
#include <QFile>
#include <QString>
#include <string>

namespace quillmere {

inline std::string FromQtPath(const QString& path) {
#ifdef _WIN32
    return QDir::toNativeSeparators(path).toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

inline QString ToQtPath(const std::string& path) {
#ifdef _WIN32
    return QString::fromStdString(path);
#else
    return QFile::decodeName(path.c_str());
#endif
}

}  // namespace quillmere
