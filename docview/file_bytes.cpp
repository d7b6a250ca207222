#include "docview/file_bytes.h"

#include <QFile>

namespace cyrvert {

ReadResult ReadFileBytes(const QString& path) {
  return ReadTextFromFile(QFile::encodeName(path).toStdString());
}

SaveResult WriteFileBytes(const QString& path, std::string_view bytes) {
  return SaveTextToFile(QFile::encodeName(path).toStdString(), bytes);
}

QString ReasonText(const std::string& reason) { return QString::fromLocal8Bit(reason); }

}  // namespace cyrvert
