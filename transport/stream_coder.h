// Coders that take a text in slices of any size, from one byte up, and give exactly the
// output of taking it whole. Each keeps its state between slices and carries over only the
// few bytes whose coding depends on what comes next.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "transport/decode_result.h"

namespace cyrvert {

class StreamCoder {
 public:
  StreamCoder() = default;
  StreamCoder(const StreamCoder&) = delete;
  StreamCoder& operator=(const StreamCoder&) = delete;
  virtual ~StreamCoder() = default;

  // Codes `slice`, the next part of the text, appending what it can to `out`. Does nothing
  // once coding has failed or finished.
  void Put(std::string_view slice, std::string& out);
  // Codes what is left at the end of the text. Call once, after the last Put.
  void Finish(std::string& out);
  // Put of the last slice, then Finish.
  void PutLast(std::string_view slice, std::string& out);
  // A whole text: Put of it in slices, then Finish, so no more than a slice's worth of
  // working memory is needed beyond the output.
  void PutAll(std::string_view text, std::string& out);

  // False once a decoder has met bad input; nothing more is coded then.
  bool ok() const { return m_error == DecodeError::kNone; }
  DecodeError error() const { return m_error; }
  // Offset of the offending byte in the whole text.
  std::size_t error_position() const { return m_nErrorAt; }
  // Bytes handed to Code so far, those it was given again included: the work the text cost.
  std::size_t coded_bytes() const { return m_nCoded; }

  // A whole text through a fresh decoder: the output, or the error and where it was found.
  static DecodeResult Whole(StreamCoder& coder, std::string_view text);

 protected:
  // Codes from the start of `text` and returns how many bytes it used. Unless `last`, it
  // stops before bytes whose coding depends on input not yet seen; those come again,
  // with more after them. With `last` it codes everything.
  virtual std::size_t Code(std::string_view text, bool last, std::string& out) = 0;
  // Records a failure at offset `at` of the text Code was given.
  void Fail(DecodeError error, std::size_t at) { FailAt(error, m_nBase + at); }
  // Records a failure at offset `at` of the whole text.
  void FailAt(DecodeError error, std::size_t at);
  // Offset in the whole text of the first byte Code is given.
  std::size_t base() const { return m_nBase; }

 private:
  // Calls Code and moves the base past what it used.
  std::size_t Run(std::string_view text, bool last, std::string& out);

  std::string m_carry;            // bytes given but not yet used
  std::size_t m_nCarryTried = 0;  // size of the carry when Code last saw it
  std::size_t m_nBase = 0;
  std::size_t m_nCoded = 0;
  bool m_bFinished = false;
  DecodeError m_error = DecodeError::kNone;
  std::size_t m_nErrorAt = 0;
};

}  // namespace cyrvert
