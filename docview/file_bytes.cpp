#include "docview/file_bytes.h"

#include <QFile>
#include <QSaveFile>

namespace cyrvert {

FileReadResult ReadFileBytes(const QString& path) {
  FileReadResult result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = FileError::kOpen;
    result.reason = file.errorString();
    return result;
  }
  // Read until end of file rather than trusting size(): special files report 0.
  const qint64 expected = file.size();
  result.bytes.resize(expected > 0 ? static_cast<std::size_t>(expected) + 1 : 1 << 16);
  std::size_t filled = 0;
  for (;;) {
    if (filled == result.bytes.size()) result.bytes.resize(result.bytes.size() * 2);
    const qint64 got =
        file.read(result.bytes.data() + filled, static_cast<qint64>(result.bytes.size() - filled));
    if (got < 0) {
      result.error = FileError::kRead;
      result.reason = file.errorString();
      result.bytes.clear();
      return result;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  result.bytes.resize(filled);
  return result;
}

FileWriteResult WriteFileBytes(const QString& path, std::string_view bytes) {
  FileWriteResult result;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    result.error = FileError::kOpen;
    result.reason = file.errorString();
    return result;
  }
  const qint64 size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size || !file.commit()) {
    result.error = FileError::kWrite;
    result.reason = file.errorString();
  }
  return result;
}

}  // namespace cyrvert
