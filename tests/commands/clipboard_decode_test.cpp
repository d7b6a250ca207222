#include "commands/clipboard_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "commands/auto_decode.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;

// The clipboard and the windows around the monitor; the engine is the real one.
class FakeClipboardHost : public ClipboardHost {
 public:
  bool ClipboardHasText() const override { return m_clipboard.has_value(); }
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
  std::optional<std::string> m_clipboard;
  std::set<const DocumentHost*> m_closed;
  std::vector<std::string> m_titles_at_close;
  std::vector<bool> m_silent_runs;
};

std::string KoiDamaged() {
  std::string text = test::RussianSample();
  ConvertHighHalf(text.data(), text.size(), kW2K);
  return text;
}

// A monitor past start-up with AutoClip on and damaged text on the clipboard.
struct Fixture {
  Fixture() {
    host.m_commands.m_settings.AutoClip = 1;
    host.m_clipboard = KoiDamaged();
    monitor.Release();
  }
  FakeClipboardHost host;
  ClipboardMonitor monitor{host};
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
