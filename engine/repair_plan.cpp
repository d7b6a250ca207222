// Applying a plan: each step is a StreamCoder stage, so a text given in slices comes out as
// it would whole; and the plan in words.
#include "engine/repair_plan.h"

#include <algorithm>
#include <array>

#include "engine/code_page.h"
#include "engine/code_page_tables.h"
#include "engine/repair_steps.h"
#include "engine/stream_coder.h"
#include "engine/unicode_codec.h"
#include "engine/utf8_walk.h"

namespace cyrvert {
namespace {

using detail::ByteTable;
using detail::kUnmappable;

class TableStage final : public StreamCoder {
 public:
  explicit TableStage(const ByteTable& table) : m_table(table) {}

 protected:
  std::size_t Code(std::string_view text, bool, std::string& out) override {
    const std::size_t start = out.size();
    out.append(text);
    detail::ApplyByteTable(reinterpret_cast<unsigned char*>(out.data() + start), text.size(),
                           m_table);
    return text.size();
  }

 private:
  ByteTable m_table;
};

// UTF-8 into a page's bytes.
class Utf8ToPageStage final : public StreamCoder {
 public:
  // `step`: a step inside a chain (see EncodeForStep) rather than the writing of the result.
  Utf8ToPageStage(int page, bool step)
      : m_codec(step ? nullptr : &detail::RepairCodec(page)), m_page(page) {}

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override {
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* at = out.data() + start;
    const std::size_t used = WalkUtf8(text, last, [&](std::uint32_t cp) {
      const int b = m_codec == nullptr ? detail::EncodeForStep(m_page, cp)
                    : cp > 0xFFFF      ? kUnmappable
                                       : m_codec->FromUnicode(cp);
      *at++ = b == kUnmappable ? kUnmappableByte : static_cast<char>(b);
    });
    out.resize(static_cast<std::size_t>(at - out.data()));
    return used;
  }

 private:
  const ByteCodec* m_codec;  // null for a step
  int m_page;
};

// UTF-8 out as UTF-8, each malformed sequence as U+FFFD.
class Utf8CleanStage final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override {
    // At most three output bytes per input byte: U+FFFD for a lone byte.
    const std::size_t start = out.size();
    out.resize(start + 3 * text.size());
    char* at = out.data() + start;
    const std::size_t used = WalkUtf8(text, last, [&](std::uint32_t cp) { at = PutUtf8(at, cp); });
    out.resize(static_cast<std::size_t>(at - out.data()));
    return used;
  }
};

class WindowsToUtf8Stage final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool, std::string& out) override {
    kViewCodec.AppendUtf8(text, out);
    return text.size();
  }
};

std::string LineRange(const RepairStretch& s) {
  if (s.first_line == s.last_line) return "line " + std::to_string(s.first_line);
  return "lines " + std::to_string(s.first_line) + "-" + std::to_string(s.last_line);
}

}  // namespace

struct RepairStream::Impl {
  std::vector<std::unique_ptr<StreamCoder>> stages;
  std::string buffers[2];

  void Pass(std::string_view in, std::string& out, bool finish) {
    std::string_view current = in;
    for (std::size_t i = 0; i < stages.size(); ++i) {
      const bool last = i + 1 == stages.size();
      std::string& target = last ? out : buffers[i % 2];
      if (!last) target.clear();
      if (finish) {
        stages[i]->PutLast(current, target);
      } else {
        stages[i]->Put(current, target);
      }
      current = target;
    }
    if (stages.empty()) out.append(in);
  }
};

RepairStream::RepairStream(const RepairSteps& steps, RepairOutput output)
    : m_impl(std::make_unique<Impl>()) {
  auto& stages = m_impl->stages;
  if (steps.size() == 1 && steps.front().kind == RepairStep::Kind::kKeep) return;
  ByteTable table = detail::IdentityTable();
  bool table_open = false;
  bool read_utf8 = false;
  const auto flush = [&] {
    if (table_open) stages.push_back(std::make_unique<TableStage>(table));
    table = detail::IdentityTable();
    table_open = false;
  };
  for (const RepairStep& step : steps) {
    switch (step.kind) {
      case RepairStep::Kind::kConvert:
        if (step.arg >= 0 && step.arg < kConversionCount) {
          table = detail::Then(table, step.arg);
          table_open = true;
        }
        break;
      case RepairStep::Kind::kFromUtf8:
        flush();
        if (step.arg >= 0 && step.arg < kRepairPageCount) {
          stages.push_back(std::make_unique<Utf8ToPageStage>(step.arg, true));
        }
        break;
      case RepairStep::Kind::kReadUtf8:
        flush();
        read_utf8 = true;
        break;
      case RepairStep::Kind::kKeep:
        break;
    }
    if (read_utf8) break;
  }
  const int page = output == RepairOutput::kUtf8 ? -1 : static_cast<int>(output);
  if (read_utf8) {
    flush();
    if (page < 0) {
      stages.push_back(std::make_unique<Utf8CleanStage>());
    } else {
      stages.push_back(std::make_unique<Utf8ToPageStage>(page, false));
    }
    return;
  }
  // The result reads as cp-1251; another page is one more conversion, into the same table.
  static constexpr std::array<int, kCodePageCount> kFromWindows = {-1, kW2D, kW2K, kW2I};
  if (page > 0 && page < kCodePageCount) {
    table = detail::Then(table, kFromWindows[static_cast<std::size_t>(page)]);
    table_open = true;
  }
  flush();
  if (page < 0) stages.push_back(std::make_unique<WindowsToUtf8Stage>());
}

RepairStream::~RepairStream() = default;

void RepairStream::Feed(std::string_view slice, std::string& out) {
  m_impl->Pass(slice, out, false);
}

void RepairStream::Finish(std::string& out) { m_impl->Pass({}, out, true); }

std::string ApplyRepair(std::string_view text, const RepairSteps& steps, RepairOutput output) {
  RepairStream stream(steps, output);
  std::string out;
  out.reserve(text.size());
  stream.Feed(text, out);
  stream.Finish(out);
  return out;
}

std::string ApplyPlan(std::string_view text, const RepairPlan& plan, RepairOutput output) {
  if (plan.stretches.empty()) return ApplyRepair(text, plan.steps, output);
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  for (const RepairStretch& s : plan.stretches) {
    const std::size_t begin = std::min(std::max(s.begin, at), text.size());
    const std::size_t end = std::min(std::max(s.end, begin), text.size());
    if (begin > at) out += ApplyRepair(text.substr(at, begin - at), plan.steps, output);
    out += ApplyRepair(text.substr(begin, end - begin), s.steps, output);
    at = end;
  }
  if (at < text.size()) out += ApplyRepair(text.substr(at), plan.steps, output);
  return out;
}

namespace {

// Name of a RepairPage as descriptions give it.
std::string_view RepairPageName(int page) {
  if (page == kRepairPageCp1252) return "cp-1252";
  if (page == kRepairPageLatin1) return "latin-1";
  return CodePageName(page);
}

}  // namespace

std::string DescribeRepair(const RepairSteps& steps) {
  // The page the bytes are in after each step; the first reading was as cp-1251.
  std::vector<std::string> parts;
  int page = kWindows;
  for (const RepairStep& step : steps) {
    switch (step.kind) {
      case RepairStep::Kind::kConvert: {
        const int from = ConversionSource(step.arg);
        if (from < 0) break;
        page = ConversionTarget(step.arg);
        parts.push_back(std::string(CodePageName(from)) + " read as " +
                        std::string(CodePageName(page)));
        break;
      }
      case RepairStep::Kind::kFromUtf8:
        page = step.arg;
        parts.push_back(std::string(RepairPageName(step.arg)) + " encoded to UTF-8");
        break;
      case RepairStep::Kind::kReadUtf8:
        parts.push_back("UTF-8 read as " + std::string(RepairPageName(page)));
        break;
      case RepairStep::Kind::kKeep:
        break;
    }
  }
  std::string text;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    if (!text.empty()) text += ", then ";
    text += *it;
  }
  return text;
}

std::string RepairCodes(const RepairSteps& steps) {
  // The Western pages' letters after the Cyrillic pages' own.
  static constexpr std::array<char, kRepairPageCount - kCodePageCount> kWesternLetters = {'C', 'L'};
  std::string codes;
  for (const RepairStep& step : steps) {
    if (!codes.empty()) codes += ',';
    switch (step.kind) {
      case RepairStep::Kind::kConvert:
        codes += ConversionCode(step.arg);
        break;
      case RepairStep::Kind::kFromUtf8:
        codes += "U2";
        if (const CodePageNames* names = PageNames(step.arg)) {
          codes += names->letter;
        } else if (step.arg >= kCodePageCount && step.arg < kRepairPageCount) {
          codes += kWesternLetters[static_cast<std::size_t>(step.arg - kCodePageCount)];
        }
        break;
      case RepairStep::Kind::kReadUtf8:
        codes += "U8";
        break;
      case RepairStep::Kind::kKeep:
        codes += "=";
        break;
    }
  }
  return codes;
}

std::string DescribePlan(const RepairPlan& plan) {
  if (plan.stretches.empty()) return DescribeRepair(plan.steps);
  std::string text;
  for (const RepairStretch& s : plan.stretches) {
    if (!text.empty()) text += "; ";
    text += LineRange(s) + ": ";
    text += !s.damaged ? std::string("not damaged")
                       : DescribeRepair(s.steps) + " (" + RepairCodes(s.steps) + ")";
  }
  return text;
}

std::string PlanCodes(const RepairPlan& plan) {
  if (plan.stretches.empty()) return RepairCodes(plan.steps);
  std::string text;
  for (const RepairStretch& s : plan.stretches) {
    if (!text.empty()) text += "; ";
    text += LineRange(s) + " " + (s.damaged ? RepairCodes(s.steps) : std::string("-"));
  }
  return text;
}

}  // namespace cyrvert
