#include "commands/smart_repair_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "resources/strings.h"
#include "tests/fakes/fake_hosts.h"

namespace cyrvert {
namespace {

using test::FakeDocument;
using test::FakeHost;

std::string Sample(const std::string& name) {
  std::ifstream in(std::string(CYRVERT_TEST_DATA_DIR) + "/smart/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SmartRepairText, OpensTheRepairTitledWithItsSteps) {
  struct Case {
    std::string sample;
    std::string title;
  };
  const Case cases[] = {
      {"utf8-U8.txt", "Cyrvert2 (U8: UTF-8 read as cp-1251)"},
      {"w2k-utf8-U2W_K2W.txt",
       "Cyrvert2 (K2W,U2W: KOI8-R read as cp-1251, then cp-1251 encoded to UTF-8)"},
      {"w2k-K2W.txt", "Cyrvert2 (K2W: KOI8-R read as cp-1251)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    FakeHost host;
    const std::string text = Sample(c.sample);
    FakeDocument doc(text, "Cyrvert1");

    EXPECT_EQ(SmartRepairText(doc, host), EngineStatus::kDone);

    ASSERT_EQ(host.m_windows.size(), 1U);
    EXPECT_EQ(host.Window(0).m_text, Sample("win-none.txt"));
    EXPECT_EQ(host.Window(0).m_title, c.title);
    EXPECT_FALSE(host.Window(0).m_modified);
    EXPECT_EQ(doc.m_text, text);
    EXPECT_TRUE(host.m_messages.empty());
  }
}

TEST(SmartRepairText, CharactersCp1251LacksBecomeQuestionMarks) {
  // UTF-8 Russian with a check mark, which cp-1251 has no byte for.
  std::string text = Sample("utf8-U8.txt") + "\xE2\x9C\x93";
  FakeHost host;
  FakeDocument doc(text, "Cyrvert1");
  EXPECT_EQ(SmartRepairText(doc, host), EngineStatus::kDone);
  ASSERT_EQ(host.m_windows.size(), 1U);
  EXPECT_EQ(host.Window(0).m_text, Sample("win-none.txt") + "?");
}

TEST(SmartRepairText, TellsWhatItDidNotRepairAndOpensNothing) {
  struct Case {
    std::string text;
    EngineStatus status;
    std::string_view message;
    MessageIcon icon;
  };
  const Case cases[] = {
      {Sample("win-none.txt"), EngineStatus::kDone, strings::kNotDamaged,
       MessageIcon::kInformation},
      {Sample("english-cp1252-none.txt"), EngineStatus::kDone, strings::kNotDamaged,
       MessageIcon::kInformation},
      {Sample("short-koi-cannot.txt"), EngineStatus::kNothingFound, strings::kCannotRepair,
       MessageIcon::kExclamation},
      {"", EngineStatus::kNoText, strings::kNoText, MessageIcon::kStop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FakeHost host;
    FakeDocument doc(c.text, "Cyrvert1");
    EXPECT_EQ(SmartRepairText(doc, host), c.status);
    EXPECT_TRUE(host.m_windows.empty());
    ASSERT_EQ(host.m_messages.size(), 1U);
    EXPECT_EQ(host.m_messages[0].text, c.message);
    EXPECT_EQ(host.m_messages[0].caption, strings::kSmartRepairCaption);
    EXPECT_EQ(host.m_messages[0].icon, c.icon);
    EXPECT_EQ(doc.m_text, c.text);
  }
}

TEST(SmartRepairText, FailuresLeaveNoWindowAndSaySo) {
  struct Case {
    std::string_view name;
    void (*fail)(FakeHost&);
  };
  const Case cases[] = {
      {"no copy", [](FakeHost& h) { h.m_fail_allocations = true; }},
      {"no window", [](FakeHost& h) { h.m_fail_windows = true; }},
      {"window cannot take the text", [](FakeHost& h) { h.m_fail_puts = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    c.fail(host);
    FakeDocument doc(Sample("utf8-U8.txt"), "Cyrvert1");
    EXPECT_EQ(SmartRepairText(doc, host), EngineStatus::kNoMemory);
    for (const auto& window : host.m_windows) EXPECT_TRUE(window->m_closed);
    ASSERT_EQ(host.m_messages.size(), 1U);
    EXPECT_EQ(host.m_messages[0].text, strings::kNotEnoughMemory);
    EXPECT_EQ(host.m_messages[0].icon, MessageIcon::kStop);
  }
}

}  // namespace
}  // namespace cyrvert
