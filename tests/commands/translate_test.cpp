#include "commands/translate.h"

#include <gtest/gtest.h>

#include "engine/code_page.h"
#include "resources/strings.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;

TEST(TranslateText, OpensTheConvertedTextInOneUnmodifiedWindow) {
  struct Case {
    int conversion;
    int show_translate_way;
    std::string_view title;
  };
  for (const Case& c :
       {Case{kW2K, 1, "Cyrvert2Koi"}, Case{kW2K, 0, "Cyrvert2"}, Case{kK2D, 1, "Cyrvert2Dos"},
        Case{kI2W, 1, "Cyrvert2Win"}, Case{kW2I, 1, "Cyrvert2Iso"}}) {
    FakeHost host;
    host.m_settings.ShowTranslateWay = c.show_translate_way;
    const std::string text = test::RussianSample();
    FakeDocument doc(text, "Cyrvert1");

    EXPECT_EQ(TranslateText(doc, host, c.conversion), EngineStatus::kDone);

    std::string want = text;
    ConvertHighHalf(want.data(), want.size(), c.conversion);
    ASSERT_EQ(host.m_windows.size(), 1U);
    EXPECT_EQ(host.Window(0).m_text, want);
    EXPECT_EQ(host.Window(0).m_title, c.title);
    EXPECT_FALSE(host.Window(0).m_modified);
    EXPECT_EQ(doc.m_text, text);
    EXPECT_TRUE(host.m_messages.empty());
  }
}

TEST(SetEighthBit, SetsTheTopBitOfEveryByte) {
  FakeHost host;
  host.m_settings.ShowTranslateWay = 1;  // no suffix all the same
  const std::string text("ABC\r\n \xE0\x80\0", 9);
  FakeDocument doc(text, "Cyrvert1");

  EXPECT_EQ(SetEighthBit(doc, host), EngineStatus::kDone);

  ASSERT_EQ(host.m_windows.size(), 1U);
  EXPECT_EQ(host.Window(0).m_text, std::string("\xC1\xC2\xC3\x8D\x8A\xA0\xE0\x80\x80", 9));
  EXPECT_EQ(host.Window(0).m_title, "Cyrvert2");
  EXPECT_FALSE(host.Window(0).m_modified);
  EXPECT_EQ(doc.m_text, text);
}

TEST(ManualCommands, FailuresOpenNothing) {
  enum Memory { kEnough, kNoCopy, kNoWindowText, kNoSourceText };
  struct Case {
    std::string_view name;
    std::string text;
    Memory memory;
    std::string_view message;  // empty: none
    EngineStatus status;
    bool fail_windows = false;
  };
  const Case cases[] = {
      {"translate, empty", "", kEnough, strings::kNoText, EngineStatus::kNoText},
      {"8-th bit, empty", "", kEnough, strings::kNoText, EngineStatus::kNoText},
      {"translate, no memory", "abc", kNoCopy, strings::kNotEnoughMemory, EngineStatus::kNoMemory},
      {"8-th bit, no memory", "abc", kNoCopy, strings::kNotEnoughMemory, EngineStatus::kNoMemory},
      {"translate, window full", "abc", kNoWindowText, strings::kNotEnoughMemory,
       EngineStatus::kNoMemory},
      {"8-th bit, source", "abc", kNoSourceText, strings::kNotEnoughMemory,
       EngineStatus::kNoMemory},
      {"translate, bad direction", "abc", kEnough, "", EngineStatus::kBadConversion},
      {"translate, no window", "abc", kEnough, strings::kNotEnoughMemory, EngineStatus::kNoMemory,
       true},
      {"8-th bit, no window", "abc", kEnough, strings::kNotEnoughMemory, EngineStatus::kNoMemory,
       true},
  };
  for (const Case& c : cases) {
    FakeHost host;
    host.m_fail_allocations = c.memory == kNoCopy;
    host.m_fail_puts = c.memory == kNoWindowText;
    host.m_fail_windows = c.fail_windows;
    FakeDocument doc(c.text, "Cyrvert1");
    doc.m_throw_on_get = c.memory == kNoSourceText;
    const bool eighth = c.name.starts_with("8-th");
    const int conversion = c.status == EngineStatus::kBadConversion ? 12 : kW2K;
    const EngineStatus status =
        eighth ? SetEighthBit(doc, host) : TranslateText(doc, host, conversion);
    EXPECT_EQ(status, c.status) << c.name;
    for (const auto& window : host.m_windows) EXPECT_TRUE(window->m_closed) << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(host.m_messages.empty()) << c.name;
    } else {
      ASSERT_EQ(host.m_messages.size(), 1U) << c.name;
      EXPECT_EQ(host.m_messages[0].text, c.message) << c.name;
      EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kStop) << c.name;
    }
    doc.m_throw_on_get = false;
    EXPECT_EQ(doc.m_text, c.text) << c.name;
  }
}

}  // namespace
}  // namespace cyrvert
