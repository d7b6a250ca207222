#include "transport/stream_coder.h"

#include <algorithm>
#include <utility>

namespace cyrvert {
namespace {
// A carry is coded again only once it has doubled since Code last saw it (grown by this much
// at least), however small the slices: a long undecided stretch costs linear time.
constexpr std::size_t kCarryStep = 64;
}  // namespace

std::size_t StreamCoder::Run(std::string_view text, bool last, std::string& out) {
  m_nCoded += text.size();
  const std::size_t used = Code(text, last, out);
  m_nBase += used;
  return used;
}

void StreamCoder::FailAt(DecodeError error, std::size_t at) {
  if (m_error != DecodeError::kNone) return;
  m_error = error;
  m_nErrorAt = at;
}

void StreamCoder::Put(std::string_view slice, std::string& out) {
  if (!ok() || m_bFinished) return;
  // Complete the carried bytes with the start of the slice until they are used up.
  while (!m_carry.empty() && !slice.empty()) {
    const std::size_t old = m_carry.size();  // below `target`, always
    const std::size_t target = m_nCarryTried + std::max(kCarryStep, m_nCarryTried);
    const std::size_t take = std::min(slice.size(), target - old);
    m_carry.append(slice.substr(0, take));
    if (m_carry.size() < target) return;  // all of the slice carried, waiting for more
    const std::size_t used = Run(m_carry, false, out);
    if (!ok()) return;
    if (used >= old) {
      slice.remove_prefix(used - old);
      m_carry.clear();
      break;
    }
    m_carry.erase(0, used);
    m_nCarryTried = m_carry.size();
    slice.remove_prefix(take);
  }
  if (!m_carry.empty() || slice.empty()) return;
  const std::size_t used = Run(slice, false, out);
  if (!ok()) return;
  m_carry.assign(slice.substr(used));
  m_nCarryTried = m_carry.size();
}

void StreamCoder::Finish(std::string& out) {
  if (!ok() || m_bFinished) return;
  m_bFinished = true;
  Run(m_carry, true, out);
  m_carry.clear();
}

void StreamCoder::PutLast(std::string_view slice, std::string& out) {
  if (!ok() || m_bFinished) return;
  if (!m_carry.empty()) {
    Put(slice, out);
    Finish(out);
    return;
  }
  m_bFinished = true;
  Run(slice, true, out);
}

void StreamCoder::PutAll(std::string_view text, std::string& out) {
  constexpr std::size_t kSlice = 1 << 20;
  while (text.size() > kSlice && ok()) {
    Put(text.substr(0, kSlice), out);
    text.remove_prefix(kSlice);
  }
  PutLast(text, out);
}

DecodeResult StreamCoder::Whole(StreamCoder& coder, std::string_view text) {
  std::string out;
  // A decoded text is no longer than its input; untouched capacity costs no memory.
  out.reserve(text.size() + 1);
  coder.PutAll(text, out);
  if (!coder.ok()) return detail::Failure(coder.error(), coder.error_position());
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

}  // namespace cyrvert
