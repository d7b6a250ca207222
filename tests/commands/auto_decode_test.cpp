#include "commands/auto_decode.h"

#include <gtest/gtest.h>

#include "resources/strings.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;

// The sample text damaged by one wrong conversion.
std::string Damaged(int conversion) {
  std::string text = test::RussianSample();
  ConvertHighHalf(text.data(), text.size(), conversion);
  return text;
}

// What the engine itself finds for `text` with the given options, as a reference.
FindResult Reference(const std::string& text, int depth, int sense, int n_limit) {
  HighByteHistogram histogram;
  BuildHighByteHistogram(histogram, text);
  SearchParams params;
  params.depth = depth;
  params.sense = sense;
  params.n_limit = n_limit;
  params.target = [] { return 0; };
  NoOpSearchHooks hooks;
  return FindVariants(histogram, params, hooks);
}

std::string DecodedBy(std::string text, const Variant& variant) {
  DecodeByVariant(text.data(), text.size(), variant);
  return text;
}

TEST(AutoDecode, RepairsTextIntoOneNewWindowAndLeavesTheSourceAlone) {
  struct Case {
    int show_translate_way;
    std::string_view title;
  };
  for (const Case& c : {Case{1, "Cyrvert2(K2W)"}, Case{0, "Cyrvert2"}}) {
    FakeHost host;
    host.m_settings.ShowTranslateWay = c.show_translate_way;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    const std::string before = doc.m_text;

    const AutoDecodeResult result = AutoDecode(doc, host, {});

    EXPECT_EQ(result.status, EngineStatus::kDone);
    EXPECT_EQ(result.view, nullptr) << "a view is returned only in silent mode";
    ASSERT_EQ(host.m_windows.size(), 1U);
    EXPECT_EQ(host.Window(0).m_text, test::RussianSample());
    EXPECT_EQ(host.Window(0).m_title, c.title);
    EXPECT_FALSE(host.Window(0).m_modified);
    EXPECT_EQ(doc.m_text, before);
    EXPECT_TRUE(host.m_messages.empty());
  }
}

TEST(AutoDecode, LocksTheDocumentAndCommandsOnlyWhileRunning) {
  FakeHost host;
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  int pumps_seen_locked = 0;
  host.m_on_pump = [&](FakeHost& h) {
    if (doc.m_read_only && !doc.m_close_allowed && h.m_busy) ++pumps_seen_locked;
    return true;
  };
  AutoDecode(doc, host, {});
  EXPECT_EQ(pumps_seen_locked, host.m_pumps);
  EXPECT_GT(host.m_pumps, 0);
  EXPECT_FALSE(doc.m_read_only);
  EXPECT_TRUE(doc.m_close_allowed);
  EXPECT_EQ(host.m_busy_changes, (std::vector<bool>{true, false}));
}

TEST(AutoDecode, TooFewUpperHalfBytesStopsBeforeTheSearch) {
  struct Case {
    bool silent;
    bool minimised;
    std::size_t messages;
  };
  for (const Case& c : {Case{false, false, 1}, Case{true, false, 0}, Case{false, true, 0}}) {
    FakeHost host;
    host.m_minimised = c.minimised;
    FakeDocument doc("Plain English text, nothing to decode here.\r\n", "Cyrvert1");
    AutoDecodeOptions options;
    options.silent = c.silent;

    const AutoDecodeResult result = AutoDecode(doc, host, options);

    EXPECT_EQ(result.status, EngineStatus::kTooFewLetters);
    ASSERT_EQ(host.m_messages.size(), c.messages);
    if (c.messages == 1) {
      EXPECT_EQ(host.m_messages[0].text, strings::kTooFewLetters);
      EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kStop);
    }
    EXPECT_TRUE(host.m_windows.empty());
    EXPECT_TRUE(host.m_busy_changes.empty()) << "the busy flag is not touched";
    EXPECT_FALSE(doc.m_read_only);
    EXPECT_TRUE(doc.m_close_allowed);
  }
}

TEST(AutoDecode, WindowsModeOpensTheBestLast) {
  FakeHost host;
  const std::string text = Damaged(kW2K);
  FakeDocument doc(text, "Cyrvert1");
  const FindResult want = Reference(text, 2, 3, 3);
  ASSERT_EQ(want.variants.size(), 3U);

  AutoDecode(doc, host, {.depth = 2, .sense = 3, .n_best = 3});

  ASSERT_EQ(host.m_windows.size(), 3U);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(host.Window(i).m_text, DecodedBy(text, want.variants[2 - i])) << i;
  }
  EXPECT_TRUE(host.m_messages.empty());
}

TEST(AutoDecode, DialogModeListsEveryVariantAndOpensPicksRepeatedly) {
  FakeHost host;
  const std::string text = Damaged(kW2K);
  FakeDocument doc(text, "Cyrvert1");
  const FindResult want = Reference(text, 1, 2, 0);
  ASSERT_GE(want.variants.size(), 2U);
  std::size_t windows_before_picks = 99;
  host.m_on_variant_list = [&](const std::function<void(const Variant&)>& open) {
    windows_before_picks = host.m_windows.size();
    open(host.m_list_variants[1]);
    open(host.m_list_variants[1]);
  };

  AutoDecode(doc, host, {.depth = 1, .sense = 2, .n_best = 0, .out_to = 1});

  EXPECT_EQ(host.m_variant_lists, 1);
  EXPECT_EQ(host.m_list_variants, want.variants);
  EXPECT_EQ(host.m_list_previews, MakeVariantPreviews(text, want.variants, want.variants.size(),
                                                      FindPreviewOffset(text)));
  EXPECT_EQ(windows_before_picks, 0U);
  ASSERT_EQ(host.m_windows.size(), 2U);
  EXPECT_EQ(host.Window(0).m_text, DecodedBy(text, want.variants[1]));
  EXPECT_EQ(host.Window(1).m_text, host.Window(0).m_text);
}

TEST(AutoDecode, OneVariantOrMinimisedWindowSkipsTheDialog) {
  struct Case {
    int sense;
    bool minimised;
  };
  for (const Case& c : {Case{0, false}, Case{2, true}}) {
    FakeHost host;
    host.m_minimised = c.minimised;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    AutoDecode(doc, host, {.depth = 1, .sense = c.sense, .n_best = 0, .out_to = 1});
    EXPECT_EQ(host.m_variant_lists, 0);
    EXPECT_FALSE(host.m_windows.empty());
  }
}

TEST(AutoDecode, MinimisedRunShowsNothingButWindows) {
  FakeHost host;
  host.m_minimised = true;
  host.m_settings.Target = 7;  // nothing can be found
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  const AutoDecodeResult result = AutoDecode(doc, host, {});
  EXPECT_EQ(result.status, EngineStatus::kNothingFound);
  EXPECT_TRUE(host.m_messages.empty());
  EXPECT_TRUE(host.m_progress.empty());
}

TEST(AutoDecode, NothingFoundIsReportedUnlessSilent) {
  struct Case {
    bool silent;
    std::size_t messages;
  };
  for (const Case& c : {Case{false, 1}, Case{true, 0}}) {
    FakeHost host;
    host.m_settings.Target = 7;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    AutoDecodeOptions options;
    options.silent = c.silent;
    const AutoDecodeResult result = AutoDecode(doc, host, options);
    EXPECT_EQ(result.status, EngineStatus::kNothingFound);
    EXPECT_EQ(result.view, nullptr);
    ASSERT_EQ(host.m_messages.size(), c.messages);
    if (c.messages == 1) {
      EXPECT_EQ(host.m_messages[0].text, strings::kNothingFound);
      EXPECT_EQ(host.m_messages[0].caption, strings::kAppTitle);
      EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kExclamation);
    }
  }
}

TEST(AutoDecode, SilentRunOpensOnlyTheBestAndReturnsItsView) {
  FakeHost host;
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  AutoDecodeOptions options{.depth = 1, .sense = 2, .n_best = 0, .out_to = 1, .silent = true};
  const AutoDecodeResult result = AutoDecode(doc, host, options);
  ASSERT_EQ(host.m_windows.size(), 1U);
  EXPECT_EQ(result.view, &host.Window(0));
  EXPECT_EQ(host.m_variant_lists, 0);
  EXPECT_TRUE(host.m_messages.empty());
}

TEST(AutoDecode, StopDuringADeepSearchEndsWithinOneNode) {
  FakeHost host;
  host.m_stop_requested = true;  // left over from an earlier run: cleared at the start
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  host.m_on_pump = [](FakeHost& h) {
    if (h.m_pumps == 500) h.m_stop_requested = true;
    return true;
  };

  const AutoDecodeResult result = AutoDecode(doc, host, {.depth = 5, .sense = 2});

  EXPECT_EQ(result.status, EngineStatus::kStopped);
  EXPECT_EQ(host.m_pumps, 500);
  EXPECT_EQ(host.m_pumps_after_stop, 0) << "no node runs after the request";
  EXPECT_TRUE(host.m_windows.empty());
  ASSERT_EQ(host.m_messages.size(), 1U);
  EXPECT_EQ(host.m_messages[0].text, strings::kStoppedByUser);
  EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kStop);
  EXPECT_FALSE(host.m_busy);
  EXPECT_FALSE(doc.m_read_only);
}

TEST(AutoDecode, StopWhileWindowsOpenKeepsTheOpenedOnes) {
  FakeHost host;
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  host.m_on_open = [](FakeHost& h) { h.m_stop_requested = true; };
  const AutoDecodeResult result = AutoDecode(doc, host, {.depth = 2, .sense = 3, .n_best = 3});
  EXPECT_EQ(result.status, EngineStatus::kStopped);
  EXPECT_EQ(host.m_windows.size(), 1U);
  ASSERT_EQ(host.m_messages.size(), 1U);
  EXPECT_EQ(host.m_messages[0].text, strings::kStoppedByUser);
}

TEST(AutoDecode, RunningOutOfMemoryIsReportedAndKeepsTheProgramAlive) {
  struct Case {
    std::string_view name;
    bool fail_allocations;  // no block for a decoded copy
    bool fail_puts;         // the new window cannot take the text
    bool throw_on_get;      // the document's text cannot be taken out
    std::size_t windows;    // windows opened (and closed again when they could not be filled)
  };
  const Case cases[] = {
      {"copy", true, false, false, 0},
      {"window", false, true, false, 1},
      {"source", false, false, true, 0},
  };
  for (const Case& c : cases) {
    FakeHost host;
    host.m_fail_allocations = c.fail_allocations;
    host.m_fail_puts = c.fail_puts;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    doc.m_throw_on_get = c.throw_on_get;
    const AutoDecodeResult result = AutoDecode(doc, host, {.depth = 2, .sense = 3, .n_best = 3});
    EXPECT_EQ(result.status, EngineStatus::kNoMemory) << c.name;
    ASSERT_EQ(host.m_windows.size(), c.windows) << c.name;
    for (const auto& window : host.m_windows) EXPECT_TRUE(window->m_closed) << c.name;
    ASSERT_EQ(host.m_messages.size(), 1U) << c.name;
    EXPECT_EQ(host.m_messages[0].text, strings::kNoMemory) << c.name;
    EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kStop) << c.name;
    EXPECT_FALSE(doc.m_read_only) << c.name;
    EXPECT_TRUE(doc.m_close_allowed) << c.name;
    EXPECT_FALSE(host.m_busy) << c.name;
  }
}

TEST(AutoDecode, APickFromTheListThatCannotOpenSaysWhy) {
  FakeHost host;
  host.m_fail_puts = true;
  host.m_on_variant_list = [](const std::function<void(const Variant&)>& open) {
    open(Variant{{kW2K}, 6});
  };
  FakeDocument doc(Damaged(kW2K), "Cyrvert1");
  const AutoDecodeResult result = AutoDecode(doc, host, {.sense = 2, .out_to = 1});
  EXPECT_EQ(host.m_variant_lists, 1);
  EXPECT_EQ(result.status, EngineStatus::kDone);
  ASSERT_EQ(host.m_messages.size(), 1U);
  EXPECT_EQ(host.m_messages[0].text, strings::kNoMemory);
}

TEST(AutoDecode, QuitRequestIsPassedOnWithoutAMessage) {
  struct Case {
    int quit_at_pump;  // 1: during the search; later: between result windows
  };
  FakeHost probe;
  FakeDocument probe_doc(Damaged(kW2K), "Cyrvert1");
  AutoDecode(probe_doc, probe, {.depth = 2, .sense = 3, .n_best = 3});
  const int search_pumps = probe.m_pumps - static_cast<int>(probe.m_windows.size());
  ASSERT_GE(probe.m_windows.size(), 2U);

  for (const Case& c : {Case{1}, Case{search_pumps + 1}}) {
    FakeHost host;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    host.m_on_pump = [&](FakeHost& h) { return h.m_pumps < c.quit_at_pump; };
    const AutoDecodeResult result = AutoDecode(doc, host, {.depth = 2, .sense = 3, .n_best = 3});
    EXPECT_EQ(result.status, EngineStatus::kQuitting);
    EXPECT_EQ(result.view, nullptr);
    EXPECT_EQ(host.m_quit_posts, 1);
    EXPECT_TRUE(host.m_messages.empty());
    EXPECT_LE(host.m_windows.size(), 1U);
    EXPECT_FALSE(host.m_busy) << "a deferred close waits for the busy flag to clear";
    EXPECT_FALSE(doc.m_read_only);
    EXPECT_TRUE(doc.m_close_allowed);
  }
}

TEST(AutoDecode, DeepSearchesBeepUnlessSilent) {
  struct Case {
    int depth;
    bool silent;
    std::size_t beeps;
  };
  for (const Case& c : {Case{4, false, 1}, Case{3, false, 0}, Case{4, true, 0}}) {
    FakeHost host;
    FakeDocument doc(Damaged(kW2K), "Cyrvert1");
    AutoDecodeOptions options{.depth = c.depth, .sense = 0};
    options.silent = c.silent;
    AutoDecode(doc, host, options);
    ASSERT_EQ(host.m_beeps.size(), c.beeps) << c.depth;
    if (c.beeps == 1) {
      EXPECT_EQ(host.m_beeps[0], std::make_pair(800, 400));
    }
  }
}

}  // namespace
}  // namespace cyrvert
