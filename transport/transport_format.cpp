#include "transport/transport_format.h"

#include <array>

#include "engine/alternatives.h"
#include "resources/strings.h"
#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/quoted_printable.h"
#include "transport/utf7.h"
#include "transport/utf8_stream.h"
#include "transport/uucode.h"

namespace cyrvert {
namespace {

// A coder with no arguments, as a factory.
template <class Coder>
std::unique_ptr<StreamCoder> Make() {
  return std::make_unique<Coder>();
}
template <class Coder>
std::unique_ptr<StreamCoder> MakeEncoder(std::string_view) {
  return std::make_unique<Coder>();
}
std::unique_ptr<StreamCoder> MakeUuEncoder(std::string_view file_name) {
  return std::make_unique<UuEncoder>(file_name, kUuFileMode);
}

using F = TransportFormat;
using E = TransferEncoding;
namespace s = strings;

constexpr std::array<TransportFormatInfo, kTransportFormatCount> kFormats = {{
    {F::kUtf7, "utf7", true, E::k7Bit, false, MakeEncoder<Utf7StreamEncoder>,
     Make<Utf7StreamDecoder>, s::kUtf7DecodeError, s::kUtf7DecodeCaption},
    {F::kUtf8, "utf8", true, E::k8Bit, false, MakeEncoder<Utf8StreamEncoder>,
     Make<Utf8StreamDecoder>, s::kUtf8DecodeError, s::kUtf8DecodeCaption},
    {F::kQuotedPrintable, "qp", true, E::kQuotedPrintable, true, MakeEncoder<QpEncoder>,
     Make<QpDecoder>, s::kQpDecodeError, s::kQpDecodeCaption},
    {F::kBase64, "base64", true, E::kBase64, true, MakeEncoder<Base64Encoder>, Make<Base64Decoder>,
     s::kBase64DecodeError, s::kBase64DecodeCaption},
    {F::kUu, "uu", true, E::k8Bit, false, MakeUuEncoder, Make<UuDecoder>, s::kUuDecodeError,
     s::kUuDecodeCaption},
    {F::kUnix,
     "unix",
     false,
     E::k8Bit,
     false,
     MakeEncoder<CrLfToLfStream>,
     Make<LfToCrLfStream>,
     {},
     {}},
}};

static_assert(
    [] {
      for (std::size_t i = 0; i < kFormats.size(); ++i) {
        if (kFormats[i].format != static_cast<F>(i)) return false;
      }
      return true;
    }(),
    "kFormats is in TransportFormat order");

}  // namespace

std::span<const TransportFormatInfo> TransportFormats() { return kFormats; }

const TransportFormatInfo& FormatInfo(TransportFormat format) {
  return kFormats[static_cast<std::size_t>(format)];
}

const TransportFormatInfo* FindTransportFormat(std::string_view name) {
  for (const TransportFormatInfo& info : kFormats) {
    if (info.name == name) return &info;
  }
  return nullptr;
}

std::string TransportFormatNames() {
  return ListAlternatives(kFormats, [](const TransportFormatInfo& format) { return format.name; });
}

}  // namespace cyrvert
