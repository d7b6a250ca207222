// Coding in slices gives what coding the whole text gives, bytes and errors alike.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/quoted_printable.h"
#include "transport/transport_commands.h"
#include "transport/utf7.h"
#include "transport/utf8_stream.h"
#include "transport/uucode.h"

namespace cyrvert {
namespace {

using Factory = std::function<std::unique_ptr<StreamCoder>()>;

struct Coded {
  std::string out;
  DecodeError error = DecodeError::kNone;
  std::size_t position = 0;
};

// `text` through a fresh coder in slices of the sizes `sizes` gives in turn (0: the
// whole rest at once, with Finish).
Coded CodeInSlices(const Factory& make, std::string_view text,
                   const std::function<std::size_t()>& sizes) {
  const std::unique_ptr<StreamCoder> coder = make();
  Coded coded;
  while (!text.empty()) {
    const std::size_t size = sizes();
    if (size == 0 || size >= text.size()) break;
    coder->Put(text.substr(0, size), coded.out);
    text.remove_prefix(size);
  }
  coder->PutLast(text, coded.out);
  coded.error = coder->error();
  coded.position = coder->error_position();
  return coded;
}

// Slicing must not change the outcome.
void ExpectSameInSlices(const Factory& make, std::string_view text, std::mt19937& rng) {
  const Coded whole = CodeInSlices(make, text, [] { return std::size_t{0}; });
  const Coded bytes = CodeInSlices(make, text, [] { return std::size_t{1}; });
  const Coded random = CodeInSlices(make, text, [&rng] { return std::size_t{1 + rng() % 97}; });
  for (const Coded* sliced : {&bytes, &random}) {
    ASSERT_EQ(sliced->error, whole.error) << testing::PrintToString(std::string(text));
    EXPECT_EQ(sliced->position, whole.position) << testing::PrintToString(std::string(text));
    if (whole.error == DecodeError::kNone) {
      ASSERT_EQ(sliced->out, whole.out) << testing::PrintToString(std::string(text));
    }
  }
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t size) {
  std::string text(size, '\0');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

std::string AllBytes() {
  std::string all(256, '\0');
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<char>(i);
  return all;
}

// Plain texts: Cyrillic, digits, the characters each coder treats apart.
const std::string kPlainAlphabet = "ab +-=\r\n\t 0123456789\xC0\xE0\xF2\x98\xA0" + AllBytes();

struct Codec {
  std::string_view name;
  Factory encoder;
  Factory decoder;
  std::string_view noise;  // characters that stress the decoder
};

const std::vector<Codec>& Codecs() {
  static const std::vector<Codec> codecs = {
      {"base64", [] { return std::make_unique<Base64Encoder>(); },
       [] { return std::make_unique<Base64Decoder>(); }, "=\r\n \t*A"},
      {"qp", [] { return std::make_unique<QpEncoder>(); },
       [] { return std::make_unique<QpDecoder>(); }, "=\r\n \t3Dz"},
      {"uu", [] { return std::make_unique<UuEncoder>("f.txt", 0644); },
       [] { return std::make_unique<UuDecoder>(); }, "\r\n `!Mend begin 644 x\n"},
      {"utf7", [] { return std::make_unique<Utf7StreamEncoder>(); },
       [] { return std::make_unique<Utf7StreamDecoder>(); }, "+-A.\xC0\n"},
      {"utf8", [] { return std::make_unique<Utf8StreamEncoder>(); },
       [] { return std::make_unique<Utf8StreamDecoder>(); }, "\xD0\x80\xC0\xFE\xE0"},
      {"unix", [] { return std::make_unique<CrLfToLfStream>(); },
       [] { return std::make_unique<LfToCrLfStream>(); }, "\r\n"},
  };
  return codecs;
}

TEST(StreamCoders, EncodersAndDecodersKeepTheirOutputInSlices) {
  std::mt19937 rng(13);
  for (const Codec& codec : Codecs()) {
    SCOPED_TRACE(codec.name);
    std::vector<std::string> texts = {"",
                                      "\r",
                                      "\r\n",
                                      "\r\n\r\n",
                                      " \r\n",
                                      "=",
                                      "+",
                                      "a",
                                      std::string(200, ' '),
                                      std::string(100, '\xE0'),
                                      AllBytes()};
    for (const std::size_t size : std::initializer_list<std::size_t>{1, 2, 3, 44, 45, 46, 56, 57,
                                                                     58, 75, 76, 77, 500, 3000}) {
      texts.push_back(RandomText(rng, kPlainAlphabet, size));
      texts.push_back(RandomText(rng, "\r\n \t", size));
    }
    for (const std::string& text : texts) {
      ExpectSameInSlices(codec.encoder, text, rng);
      ExpectSameInSlices(codec.decoder, text, rng);
      // Encoded, then damaged here and there.
      std::string encoded;
      codec.encoder()->PutLast(text, encoded);
      ExpectSameInSlices(codec.decoder, encoded, rng);
      for (int k = 0; k < 4 && !encoded.empty(); ++k) {
        encoded[rng() % encoded.size()] = codec.noise[rng() % codec.noise.size()];
        ExpectSameInSlices(codec.decoder, encoded, rng);
      }
    }
  }
}

TEST(StreamCoders, DecodersStopAtTheSameError) {
  struct Case {
    std::string_view codec, text;
    DecodeError error;
    std::size_t position;
  };
  const Case cases[] = {
      {"base64", "Zm9v=", DecodeError::kBase64BadPadding, 4},
      {"base64", "Zg=\r\n", DecodeError::kBase64BadPadding, 2},
      {"base64", "Zm9vY", DecodeError::kBase64BadPadding, 5},
      {"base64", "Zm9v*", DecodeError::kBase64BadCharacter, 4},
      {"qp", "abc=4", DecodeError::kQpBadEscape, 3},
      {"qp", "abc= \r", DecodeError::kQpBadEscape, 3},
      {"uu", "no begin here\r\n", DecodeError::kUuNoBegin, 15},
      {"uu", "begin 644 a\r\n#0V%T\r\n", DecodeError::kUuNoEnd, 20},
      {"uu", "begin 644 a\r\n#0V\r\nend\r\n", DecodeError::kUuBadLine, 13},
      {"utf7", "ab+AD-\xC0", DecodeError::kUtf7ByteOutsideRun, 6},
      {"utf8", "ab\xD0", DecodeError::kUtf8BadContinuation, 2},
      {"utf8", "ab\xC0\x80", DecodeError::kUtf8Overlong, 2},
  };
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    for (const Codec& codec : Codecs()) {
      if (codec.name != c.codec) continue;
      const Coded bytes = CodeInSlices(codec.decoder, c.text, [] { return std::size_t{1}; });
      EXPECT_EQ(bytes.error, c.error) << c.codec << ' ' << c.text;
      EXPECT_EQ(bytes.position, c.position) << c.codec << ' ' << c.text;
      ExpectSameInSlices(codec.decoder, c.text, rng);
    }
  }
}

// Long lines are decided on their start, so they need not be held whole.
TEST(StreamCoders, UuDecoderSkipsLongLines) {
  const std::string junk(1 << 16, 'x');
  std::string text = junk + "\nbegin 644 f\n#0V%T" + junk + "\nend" + std::string(5000, ' ');
  text += "\n";
  std::mt19937 rng(3);
  const auto make = [] { return std::make_unique<UuDecoder>(); };
  ExpectSameInSlices(make, text, rng);
  const Coded got = CodeInSlices(make, text, [] { return std::size_t{1000}; });
  EXPECT_EQ(got.error, DecodeError::kNone);
  EXPECT_EQ(got.out, "Cat");
}

TEST(TransportStreams, ExportThenImportGivesTheTextBack) {
  std::mt19937 rng(11);
  const std::vector<std::string> texts = {"\r\nstarts with a blank line", "\r\n", "\n\n", "x",
                                          RandomText(rng, kPlainAlphabet, 5000)};
  for (const TransportFormatInfo& format : TransportFormats()) {
    const TransportFormat codec = format.format;
    for (const std::string& text : texts) {
      const Factory encoder = [codec] { return std::make_unique<ExportStream>(codec, "f"); };
      const Factory decoder = [codec] {
        return std::make_unique<ImportStream>(codec, ImportStart::kAfterOwnHeader);
      };
      const Coded exported = CodeInSlices(encoder, text, [] { return std::size_t{1}; });
      ExpectSameInSlices(decoder, exported.out, rng);
      const Coded imported = CodeInSlices(decoder, exported.out, [] { return std::size_t{1}; });
      ASSERT_EQ(imported.error, DecodeError::kNone) << static_cast<int>(codec);
      // The UTF-7 and UTF-8 mapping keeps every byte but 0x98 and 0xA0 (both no-break
      // space); unix keeps what it can tell apart.
      if (codec == TransportFormat::kUnix || codec == TransportFormat::kUtf7 ||
          codec == TransportFormat::kUtf8) {
        if (text.find_first_of(std::string("\r\n\x98\xA0", 4)) != std::string::npos) continue;
      }
      EXPECT_EQ(imported.out, text) << static_cast<int>(codec);
    }
  }
}

// The editor's import keeps its rule: a leading line break ends an empty header block,
// and a header is not recognised.
TEST(TransportStreams, EditorImportReadsTheWholeText) {
  EXPECT_EQ(ImportText(TransportFormat::kQuotedPrintable, "\r\nab").result.bytes, "ab");
  EXPECT_EQ(ImportText(TransportFormat::kBase64, "\nZm9v").result.bytes, "foo");
  EXPECT_FALSE(ImportText(TransportFormat::kBase64, ExportText(TransportFormat::kBase64, "foo"))
                   .result.ok());
  // The export no longer starts a body with a line break, so the editor reads it back.
  EXPECT_EQ(EncodeQuotedPrintable("\r\nab"), "=\r\n\r\nab");
  EXPECT_EQ(
      ImportText(TransportFormat::kQuotedPrintable, EncodeQuotedPrintable("\r\nab")).result.bytes,
      "\r\nab");
}

}  // namespace
}  // namespace cyrvert

namespace cyrvert {
namespace {

// A long run of blanks keeps the QP decoder undecided (they vanish if a line break follows):
// however the text is sliced, each byte is looked at a bounded number of times.
TEST(StreamCoders, AnUndecidedStretchCostsLinearWork) {
  constexpr std::size_t kBlanks = 200000;
  struct Case {
    std::string_view name;
    std::string tail;  // after the blanks
    std::string want_tail;
  };
  const Case cases[] = {
      {"blanks inside a line are kept", "b\r\n", std::string(kBlanks, ' ') + "b\r\n"},
      {"blanks at a line end are dropped", "\r\nb", "\r\nb"},
      {"blanks before a soft break are kept", "=\r\nb", std::string(kBlanks, ' ') + "b"},
  };
  for (const Case& c : cases) {
    const std::string text = "a" + std::string(kBlanks, ' ') + c.tail;
    for (const std::size_t slice :
         {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{1} << 20}) {
      SCOPED_TRACE(std::string(c.name) + ", slices of " + std::to_string(slice));
      QpDecoder decoder;
      std::string out;
      for (std::size_t at = 0; at < text.size(); at += slice) {
        decoder.Put(std::string_view(text).substr(at, slice), out);
      }
      decoder.Finish(out);
      ASSERT_TRUE(decoder.ok());
      EXPECT_EQ(out, "a" + c.want_tail);
      EXPECT_LE(decoder.coded_bytes(), 4 * text.size());
    }
  }
}

}  // namespace
}  // namespace cyrvert
