#include "docview/byte_mapping.h"

namespace cyrvert {

namespace {

// Calls `each(byte, character)` for every character of `text`, -1 for those without a byte.
template <typename Emit>
void ForEachCharacterByte(const QString& text, Emit each) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      ++i;  // a character beyond the table
      each(-1, ch);
      continue;
    }
    each(ch.isSurrogate() ? -1 : kViewCodec.FromUnicode(ch.unicode()), ch);
  }
}

}  // namespace

std::string QStringToBytes(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  ForEachCharacterByte(text, [&out](int b, QChar) {
    out.push_back(b < 0 ? kUnmappableByte : static_cast<char>(b));
  });
  return out;
}

QString MapToByteCharacters(const QString& text) {
  QString out;
  out.reserve(text.size());
  ForEachCharacterByte(
      text, [&out](int b, QChar ch) { out.append(b < 0 ? QChar(kUnmappableByte) : ch); });
  return out;
}

}  // namespace cyrvert
