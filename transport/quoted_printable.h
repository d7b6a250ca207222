// MIME quoted-printable: lines of at most 76 characters with soft line breaks.
#pragma once

#include <string>
#include <string_view>

#include "engine/decode_result.h"
#include "engine/stream_coder.h"

namespace cyrvert {

// The encoder below, a slice at a time.
class QpEncoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  bool m_bStarted = false;
  std::size_t m_nColumn = 0;  // characters on the current output line
};

// The decoder below, a slice at a time.
class QpDecoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;
};

// Encodes `bytes`. CR LF pairs stay hard line breaks; every other control byte (a lone CR
// or LF included), '=', bytes of 0x80 or more, and a space or tab that would end a line
// are written as =XX with upper-case hex. Lines longer than 76 characters are broken with
// a soft break "=" CR LF. A text that starts with CR LF starts with a soft break, so the
// encoded text never starts with a line break: an import reads one there as the end of an
// empty header block.
std::string EncodeQuotedPrintable(std::string_view bytes);
// The same, appended to `out`.
void AppendQuotedPrintable(std::string_view bytes, std::string& out);

// Decodes quoted-printable text. =XX takes upper- or lower-case hex; '=' before a line
// break (CR LF or LF, optionally after spaces and tabs) or at the very end is a soft
// break and vanishes; spaces and tabs at the end of a line are dropped, as transport
// agents may have added them. Fails on '=' followed by anything else. Other bytes,
// including unencoded 8-bit ones, are kept as they stand.
DecodeResult DecodeQuotedPrintable(std::string_view text);

}  // namespace cyrvert
