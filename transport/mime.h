// MIME text/plain wrapping of exported text and unwrapping of imported text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/decode_result.h"

namespace cyrvert {

// Content-Transfer-Encoding of a wrapped message.
enum class TransferEncoding : int { k7Bit, k8Bit, kQuotedPrintable, kBase64 };

// The header block of a text/plain message in `encoding`, with the empty line that ends it.
std::string MimeHeader(TransferEncoding encoding);

// A whole message: the header block, then `body` unchanged.
std::string WrapMime(std::string_view body, TransferEncoding encoding);

// Where the body of `message` starts: just after the first empty line (a line ends at
// CR LF, LF or a lone CR). npos when the header block is never ended.
std::size_t MimeBodyOffset(std::string_view message);

// The body of `message`: everything after the header block and the empty line that ends
// it. Fails with kNoHeaderEnd when there is no such empty line.
DecodeResult UnwrapMime(std::string_view message);

}  // namespace cyrvert
