// The command table against the accelerator table: the key a menu item shows is a key that
// runs it.
#include "frame/command_table.h"

#include <gtest/gtest.h>

#include <QKeySequence>
#include <QString>
#include <set>

namespace cyrvert {
namespace {

QKeySequence Key(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

TEST(CommandTable, MenuKeyTextsAreAcceleratorKeys) {
  for (const CommandInfo& info : Commands()) {
    const QString text = QString::fromUtf8(info.text);
    const qsizetype tab = text.indexOf('\t');
    if (tab < 0) continue;  // some keyed commands show none ("&What's This")
    bool shown_is_a_key = false;
    for (const Accelerator& accel : Accelerators()) {
      if (accel.id == info.id && QKeySequence(text.mid(tab + 1)) == Key(accel.key)) {
        shown_is_a_key = true;
      }
    }
    EXPECT_TRUE(shown_is_a_key) << info.text;
  }
}

TEST(CommandTable, EveryAcceleratorRunsAKnownCommandOnce) {
  std::set<int> keys;
  for (const Accelerator& accel : Accelerators()) {
    EXPECT_NE(FindCommand(accel.id), nullptr) << accel.key;
    const QKeySequence key = Key(accel.key);
    ASSERT_FALSE(key.isEmpty()) << accel.key;
    EXPECT_TRUE(keys.insert(key[0].toCombined()).second) << accel.key << " twice";
  }
}

}  // namespace
}  // namespace cyrvert
