#include "docview/clipboard_text.h"

#include <QMimeData>

#include "docview/byte_mapping.h"

namespace cyrvert {
namespace {

// Dynamic property on our own clipboard data; other programs never see it.
constexpr char kCopiedFromProperty[] = "cyrvertCopiedFrom";

}  // namespace

QMimeData* MakeClipboardData(std::string_view bytes, const QString& source_title) {
  auto* data = new QMimeData;
  const std::string utf8 = kViewCodec.ToUtf8(bytes);
  data->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  data->setProperty(kCopiedFromProperty, source_title);
  return data;
}

std::optional<std::string> ClipboardBytes(const QMimeData* data) {
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return QStringToBytes(data->text());
}

QString CopiedFromTitle(const QMimeData* data) {
  return data != nullptr ? data->property(kCopiedFromProperty).toString() : QString();
}

}  // namespace cyrvert
