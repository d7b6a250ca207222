#include "commands/clipboard_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "commands/auto_decode.h"
#include "engine/unicode_codec.h"
#include "resources/strings.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;

// The clipboard and the windows around the monitor; the engine is the real one.
class FakeClipboardHost : public ClipboardHost {
 public:
  bool ClipboardHasText() const override { return m_clipboard.has_value(); }
  std::optional<std::string> ClipboardUnicodeText() const override {
    if (m_unicode) return m_unicode;
    if (!m_clipboard) return std::nullopt;
    return kViewCodec.ToUtf8(*m_clipboard);
  }
  DocumentHost* OpenNewDocumentWindow() override { return m_commands.OpenNewDocumentWindow(); }
  void PasteClipboardText(DocumentHost& document) override {
    if (m_clipboard) document.PutViewText(document.GetViewText() + *m_clipboard);
  }
  DocumentHost* FindDocument(std::string_view title) override {
    for (auto& window : m_commands.m_windows) {
      if (IsOpen(window.get()) && window->m_title == title) return window.get();
    }
    return nullptr;
  }
  void CloseDocument(DocumentHost& document) override {
    auto& doc = static_cast<FakeDocument&>(document);
    m_closed.insert(&doc);
    m_titles_at_close.push_back(doc.m_title);
  }
  bool IsOpen(const DocumentHost* document) const override {
    const auto& windows = m_commands.m_windows;
    return m_closed.count(document) == 0 &&
           std::any_of(windows.begin(), windows.end(),
                       [document](const auto& w) { return w.get() == document; });
  }
  DocumentHost* RunAutoDecode(DocumentHost& document, bool silent) override {
    m_silent_runs.push_back(silent);
    const Settings s = m_commands.m_settings;
    const AutoDecodeResult result =
        AutoDecode(document, m_commands, {s.Depth, s.Sense, s.N_best, s.Out_to, silent});
    return IsOpen(result.view) ? result.view : nullptr;
  }
  bool EngineBusy() const override { return m_commands.m_busy; }
  const Settings& CurrentSettings() const override { return m_commands.m_settings; }
  bool IsBetweenCommands() const override { return !m_in_command; }
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
    m_commands.ShowMessage(text, caption, icon);
  }

  // The windows still open, oldest first.
  std::vector<FakeDocument*> OpenWindows() const {
    std::vector<FakeDocument*> open;
    for (const auto& window : m_commands.m_windows) {
      if (IsOpen(window.get())) open.push_back(window.get());
    }
    return open;
  }
  // Closes every window that allows it, as Close All does.
  void CloseAll() {
    for (FakeDocument* window : OpenWindows()) {
      if (window->m_close_allowed) CloseDocument(*window);
    }
  }

  FakeHost m_commands;
  std::optional<std::string> m_clipboard;  // the clipboard's text as the view's bytes
  std::optional<std::string> m_unicode;    // its characters, when they are not those bytes
  bool m_in_command = false;               // a command or dialog is under way
  std::set<const DocumentHost*> m_closed;
  std::vector<std::string> m_titles_at_close;
  std::vector<bool> m_silent_runs;
};

std::string KoiDamaged() {
  std::string text = test::RussianSample();
  ConvertHighHalf(text.data(), text.size(), kW2K);
  return text;
}

// Russian as characters, then those characters' UTF-8 read as cp-1251, as a program that
// got the encoding wrong would put it on the clipboard.
std::string Utf8ReadAsCp1251() {
  const std::string russian = kViewCodec.ToUtf8(test::RussianSample());
  return kViewCodec.ToUtf8(russian);
}

// A stand-in for the smart engine on characters: the text above is damaged, a text starting
// with "?" cannot be repaired, anything else is clean.
UnicodeRepair FakeRepair(std::string_view utf8) {
  UnicodeRepair repair{{}, std::string(utf8)};
  repair.analysis.verdict = RepairVerdict::kNotDamaged;
  if (utf8 == Utf8ReadAsCp1251()) {
    repair.analysis.verdict = RepairVerdict::kRepaired;
    repair.analysis.steps = {{RepairStep::Kind::kFromUtf8, 0}, {RepairStep::Kind::kReadUtf8, 0}};
    repair.text = kViewCodec.ToUtf8(test::RussianSample());
  } else if (utf8.starts_with("?")) {
    repair.analysis.verdict = RepairVerdict::kCannotRepair;
  }
  return repair;
}

// A monitor past start-up with AutoClip on and damaged text on the clipboard.
struct Fixture {
  Fixture() {
    host.m_commands.m_settings.AutoClip = 1;
    host.m_clipboard = KoiDamaged();
    monitor.Release();
  }
  FakeClipboardHost host;
  ClipboardMonitor monitor{host, FakeRepair};
};

ClipboardNotice TextNotice(std::string copied_from = {}) {
  return {true, false, std::move(copied_from)};
}

TEST(ClipboardMonitor, IgnoresNoticesItMustNotAct) {
  struct Case {
    std::string_view name;
    std::function<void(Fixture&)> setup;
    ClipboardNotice notice;
  };
  const Case cases[] = {
      {"AutoClip off", [](Fixture& f) { f.host.m_commands.m_settings.AutoClip = 0; }, TextNotice()},
      {"start-up hold", [](Fixture& f) { f.monitor.Hold(); }, TextNotice()},
      {"engine busy", [](Fixture& f) { f.host.m_commands.m_busy = true; }, TextNotice()},
      {"not text", [](Fixture& f) { f.host.m_clipboard.reset(); }, ClipboardNotice{}},
      {"empty text", [](Fixture& f) { f.host.m_clipboard = ""; }, ClipboardNotice{true, true, {}}},
      {"copied from CyrClip", [](Fixture&) {}, TextNotice("CyrClip")},
  };
  for (const Case& c : cases) {
    Fixture f;
    c.setup(f);
    f.monitor.OnClipboardChanged(c.notice);
    EXPECT_TRUE(f.host.m_commands.m_windows.empty()) << c.name;
    EXPECT_TRUE(f.host.m_silent_runs.empty()) << c.name;
  }
}

TEST(ClipboardMonitor, StartsHeldUntilStartUpEnds) {
  FakeClipboardHost host;
  host.m_commands.m_settings.AutoClip = 1;
  host.m_clipboard = KoiDamaged();
  ClipboardMonitor monitor(host);
  monitor.OnClipboardChanged(TextNotice());
  EXPECT_TRUE(host.m_commands.m_windows.empty());

  monitor.Hold();
  monitor.Release();
  monitor.OnClipboardChanged(TextNotice());
  EXPECT_TRUE(host.m_commands.m_windows.empty()) << "an inner release ends no outer hold";

  monitor.Release();
  monitor.OnClipboardChanged(TextNotice());
  EXPECT_EQ(host.OpenWindows().size(), 1U);
}

TEST(ClipboardMonitor, OpensTheBestDecodingAsCyrClipAndClosesThePastedWindow) {
  for (std::string_view source : {"", "Cyrvert1"}) {  // another program, then one of ours
    Fixture f;
    f.monitor.OnClipboardChanged(TextNotice(std::string(source)));

    const std::vector<FakeDocument*> open = f.host.OpenWindows();
    ASSERT_EQ(open.size(), 1U) << source;
    EXPECT_EQ(open[0]->m_title, "CyrClip");
    EXPECT_EQ(open[0]->m_text, test::RussianSample());
    EXPECT_FALSE(open[0]->m_modified);
    EXPECT_FALSE(open[0]->m_read_only);
    EXPECT_EQ(f.host.m_silent_runs, std::vector<bool>{true});
    EXPECT_TRUE(f.host.m_commands.m_messages.empty());
    EXPECT_TRUE(f.host.m_commands.m_beeps.empty());
    // The pasted window was closed as unmodified, so nothing could ask to save it.
    EXPECT_FALSE(f.host.m_commands.Window(0).m_modified);
    EXPECT_FALSE(f.host.IsOpen(&f.host.m_commands.Window(0)));
  }
}

TEST(ClipboardMonitor, ANewTextReplacesTheEditedCyrClipWindow) {
  Fixture f;
  f.monitor.OnClipboardChanged(TextNotice());
  FakeDocument* first = f.host.OpenWindows().at(0);
  first->PutViewText("edited");
  first->SetModified(true);

  f.host.m_clipboard = "Plain English, nothing to repair.";
  f.monitor.OnClipboardChanged(TextNotice());

  EXPECT_FALSE(f.host.IsOpen(first));
  const std::vector<FakeDocument*> open = f.host.OpenWindows();
  ASSERT_EQ(open.size(), 1U);
  EXPECT_EQ(open[0]->m_title, "CyrClip");
}

TEST(ClipboardMonitor, KeepsThePastedTextWhenTheEngineFindsNothing) {
  Fixture f;
  f.host.m_clipboard = "Plain English, nothing to repair.";
  f.monitor.OnClipboardChanged(TextNotice());

  const std::vector<FakeDocument*> open = f.host.OpenWindows();
  ASSERT_EQ(open.size(), 1U);
  EXPECT_EQ(open[0]->m_title, "CyrClip");
  EXPECT_EQ(open[0]->m_text, "Plain English, nothing to repair.");
  EXPECT_FALSE(open[0]->m_modified);
  EXPECT_FALSE(open[0]->m_read_only);
  EXPECT_TRUE(f.host.m_commands.m_messages.empty()) << "silent runs show nothing";
}

TEST(ClipboardMonitor, LeavesAResultWindowClosedDuringTheRunAlone) {
  Fixture f;
  // Close All while the run pumps events: the result window goes, the searched one cannot.
  f.host.m_commands.m_on_pump = [&f](FakeHost&) {
    f.host.CloseAll();
    return true;
  };
  f.monitor.OnClipboardChanged(TextNotice());

  ASSERT_EQ(f.host.m_commands.m_windows.size(), 2U);
  FakeDocument& result = f.host.m_commands.Window(1);
  EXPECT_FALSE(f.host.IsOpen(&result));
  EXPECT_NE(result.m_title, "CyrClip") << "a closed window was renamed";
  const std::vector<FakeDocument*> open = f.host.OpenWindows();
  ASSERT_EQ(open.size(), 1U);
  EXPECT_EQ(open[0]->m_title, "CyrClip");
  EXPECT_EQ(open[0]->m_text, KoiDamaged());
}

TEST(ClipboardMonitor, IgnoresNoticesDuringItsOwnRun) {
  Fixture f;
  int nested = 0;
  f.host.m_commands.m_on_pump = [&](FakeHost& commands) {
    // The run's own windows may change the clipboard; the busy flag alone must not be the
    // only guard.
    commands.m_busy = false;
    f.monitor.OnClipboardChanged(TextNotice());
    commands.m_busy = true;
    ++nested;
    return true;
  };
  f.monitor.OnClipboardChanged(TextNotice());
  EXPECT_GT(nested, 0);
  EXPECT_EQ(f.host.m_silent_runs.size(), 1U);
}

TEST(ClipboardMonitor, ANoticeDuringACommandWaitsAndTheLatestIsHandled) {
  struct Case {
    std::string_view name;
    std::optional<std::string> latest;  // the clipboard when the command has ended
    ClipboardNotice latest_notice;
    bool opens;
  };
  const Case cases[] = {
      {"text", KoiDamaged(), TextNotice(), true},
      {"a picture replaced it", std::nullopt, ClipboardNotice{}, false},
      {"copied from CyrClip", KoiDamaged(), TextNotice("CyrClip"), false},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.host.m_in_command = true;
    f.host.m_clipboard = "first copy";
    f.monitor.OnClipboardChanged(TextNotice());
    f.host.m_clipboard = c.latest;
    f.monitor.OnClipboardChanged(c.latest_notice);
    f.monitor.HandleWaitingNotice();  // still under way: keeps waiting
    EXPECT_TRUE(f.host.m_commands.m_windows.empty()) << c.name;
    EXPECT_EQ(f.monitor.HasWaitingNotice(), c.opens) << c.name;

    f.host.m_in_command = false;
    f.monitor.HandleWaitingNotice();
    EXPECT_FALSE(f.monitor.HasWaitingNotice()) << c.name;
    const std::vector<FakeDocument*> open = f.host.OpenWindows();
    ASSERT_EQ(open.size(), c.opens ? 1U : 0U) << c.name;
    if (c.opens) {
      EXPECT_EQ(open[0]->m_title, "CyrClip");
      EXPECT_EQ(open[0]->m_text, test::RussianSample());
    }
  }
}

TEST(ClipboardMonitor, AWaitingNoticeIsDroppedWhenASearchHasStarted) {
  Fixture f;
  f.host.m_in_command = true;
  f.monitor.OnClipboardChanged(TextNotice());
  f.host.m_in_command = false;
  f.host.m_commands.m_busy = true;
  f.monitor.HandleWaitingNotice();
  f.host.m_commands.m_busy = false;
  f.monitor.HandleWaitingNotice();
  EXPECT_FALSE(f.monitor.HasWaitingNotice());
  EXPECT_TRUE(f.host.m_commands.m_windows.empty());
}

TEST(ClipboardMonitor, OnlyDamagedTextRepairsTheCharactersIntoCyrClip) {
  struct Case {
    std::string_view name;
    std::string unicode;  // the clipboard's characters (UTF-8)
    bool opens;
  };
  const Case cases[] = {
      {"damaged", Utf8ReadAsCp1251(), true},
      {"clean Russian", kViewCodec.ToUtf8(test::RussianSample()), false},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.monitor.OnClipboardChanged(TextNotice());  // an earlier CyrClip, decoded as bytes
    ASSERT_EQ(f.host.OpenWindows().size(), 1U);
    FakeDocument* previous = f.host.OpenWindows()[0];
    f.host.m_commands.m_settings.ClipOnlyDamaged = 1;
    f.host.m_unicode = c.unicode;
    f.host.m_silent_runs.clear();

    f.monitor.OnClipboardChanged(TextNotice());

    EXPECT_TRUE(f.host.m_silent_runs.empty()) << c.name << ": the byte engine ran";
    EXPECT_TRUE(f.host.m_commands.m_messages.empty()) << c.name;
    const std::vector<FakeDocument*> open = f.host.OpenWindows();
    ASSERT_EQ(open.size(), 1U) << c.name;
    if (!c.opens) {
      EXPECT_EQ(open[0], previous) << c.name << ": clean text replaced CyrClip";
      continue;
    }
    EXPECT_NE(open[0], previous) << c.name;
    EXPECT_EQ(open[0]->m_title, "CyrClip");
    EXPECT_EQ(open[0]->m_text, test::RussianSample());
    EXPECT_FALSE(open[0]->m_modified);
  }
}

TEST(DecodeClipboard, OnlyDamagedTextOpensTheRepairOrTellsWhyNot) {
  struct Case {
    std::string_view name;
    std::string unicode;
    std::size_t windows;
    std::vector<std::string_view> messages;
  };
  const Case cases[] = {
      {"damaged", Utf8ReadAsCp1251(), 1, {}},
      {"clean", kViewCodec.ToUtf8(test::RussianSample()), 0, {}},
      {"cannot repair", "?mangled", 0, {strings::kCannotRepair}},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.host.m_commands.m_settings.AutoClip = 0;
    f.host.m_commands.m_settings.ClipOnlyDamaged = 1;
    f.host.m_unicode = c.unicode;
    f.monitor.DecodeClipboard();
    EXPECT_TRUE(f.host.m_silent_runs.empty()) << c.name;
    const std::vector<FakeDocument*> open = f.host.OpenWindows();
    ASSERT_EQ(open.size(), c.windows) << c.name;
    if (c.windows == 1) {
      EXPECT_EQ(open[0]->m_text, test::RussianSample());
      EXPECT_EQ(open[0]->m_title.rfind("Cyrvert2 (", 0), 0U) << open[0]->m_title;
      EXPECT_FALSE(open[0]->m_modified);
    }
    std::vector<std::string_view> shown;
    for (const auto& m : f.host.m_commands.m_messages) shown.push_back(m.text);
    EXPECT_EQ(shown, c.messages) << c.name;
  }
}

TEST(ClipboardMonitor, OnlyDamagedTextUsesTheSmartEngine) {
  FakeClipboardHost host;
  ClipboardMonitor monitor(host);
  monitor.Release();
  host.m_commands.m_settings.AutoClip = 1;
  host.m_commands.m_settings.ClipOnlyDamaged = 1;
  host.m_unicode = Utf8ReadAsCp1251();
  monitor.OnClipboardChanged(TextNotice());
  const std::vector<FakeDocument*> open = host.OpenWindows();
  ASSERT_EQ(open.size(), 1U);
  EXPECT_EQ(open[0]->m_title, "CyrClip");
  EXPECT_EQ(open[0]->m_text, test::RussianSample());
}

TEST(DecodeClipboard, OnlyDamagedTextSaysWhenMemoryRunsOut) {
  Fixture f;
  f.host.m_commands.m_settings.ClipOnlyDamaged = 1;
  f.host.m_commands.m_fail_puts = true;
  f.host.m_unicode = Utf8ReadAsCp1251();
  f.monitor.DecodeClipboard();
  EXPECT_TRUE(f.host.m_commands.Window(0).m_closed) << "an empty window stays";
  ASSERT_EQ(f.host.m_commands.m_messages.size(), 1U);
  EXPECT_EQ(f.host.m_commands.m_messages[0].text, strings::kNotEnoughMemory);
}

TEST(DecodeClipboard, RunsTheEngineAsOnAnyWindowAndRenamesNothing) {
  struct Case {
    std::string clipboard;
    std::size_t windows;   // opened by the command
    std::size_t messages;  // shown by the engine
  };
  const Case cases[] = {
      {KoiDamaged(), 2, 0}, {"Plain English, nothing to repair.", 1, 1},  // the too-few message
  };
  for (const Case& c : cases) {
    Fixture f;
    f.host.m_commands.m_settings.AutoClip = 0;
    FakeDocument* clip = static_cast<FakeDocument*>(f.host.OpenNewDocumentWindow());
    clip->SetTitle("CyrClip");
    f.host.m_clipboard = c.clipboard;

    ASSERT_TRUE(f.monitor.CanDecodeClipboard());
    f.monitor.DecodeClipboard();

    EXPECT_EQ(f.host.m_silent_runs, std::vector<bool>{false});
    EXPECT_EQ(f.host.OpenWindows().size(), 1 + c.windows) << "nothing is closed";
    EXPECT_EQ(f.host.m_commands.Window(1).m_text, c.clipboard);
    for (FakeDocument* window : f.host.OpenWindows()) {
      if (window != clip) {
        EXPECT_NE(window->m_title, "CyrClip");
      }
    }
    EXPECT_EQ(f.host.m_commands.m_messages.size(), c.messages);
  }
}

TEST(DecodeClipboard, NeedsTextAndAnIdleEngine) {
  Fixture f;
  f.host.m_commands.m_busy = true;
  EXPECT_FALSE(f.monitor.CanDecodeClipboard());
  f.monitor.DecodeClipboard();
  f.host.m_commands.m_busy = false;
  f.host.m_clipboard.reset();
  EXPECT_FALSE(f.monitor.CanDecodeClipboard());
  f.monitor.DecodeClipboard();
  EXPECT_TRUE(f.host.m_commands.m_windows.empty());
}

}  // namespace
}  // namespace cyrvert
