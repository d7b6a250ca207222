#include "transport/utf8_stream.h"

#include "engine/unicode_codec.h"
#include "transport/utf8.h"

namespace cyrvert {

std::size_t Utf8StreamEncoder::Code(std::string_view text, bool, std::string& out) {
  kTransportCodec.AppendUtf8(text, out);
  return text.size();
}

std::size_t Utf8StreamDecoder::Code(std::string_view text, bool last, std::string& out) {
  std::size_t cut = text.size();
  if (!last) {
    // The last lead byte within reach, if the text ends before its sequence does.
    const std::size_t reach = cut < 6 ? cut : 6;
    for (std::size_t back = 1; back <= reach; ++back) {
      const auto lead = static_cast<unsigned char>(text[cut - back]);
      if ((lead & 0xC0) == 0x80) continue;
      std::size_t length = 1;
      for (unsigned b = static_cast<unsigned>(lead) << 1; (b & 0x80) != 0 && length < 7; b <<= 1)
        ++length;
      if (lead >= 0xC0 && length > back) cut -= back;
      break;
    }
  }
  std::size_t at = 0;
  const DecodeError error = AppendDecodedUtf8(text.substr(0, cut), out, at);
  if (error != DecodeError::kNone) {
    Fail(error, at);
    return at;
  }
  return cut;
}

}  // namespace cyrvert
