// UTF-8 export and import a slice at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/stream_coder.h"

namespace cyrvert {

// cp-1251 bytes to UTF-8, as kTransportCodec.ToUtf8.
class Utf8StreamEncoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;
};

// UTF-8 to cp-1251 bytes, as DecodeUtf8; a sequence cut by a slice boundary waits for
// the rest.
class Utf8StreamDecoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;
};

}  // namespace cyrvert
