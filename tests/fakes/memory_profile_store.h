// A profile store that lives in memory only, so tests never touch the user's configuration.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>

#include "profile/profile_store.h"

namespace cyrvert::test {

class MemoryProfileStore final : public ProfileStore {
 public:
  std::int32_t GetProfileInt(const QString& section, const QString& entry,
                             std::int32_t def) const override {
    const auto it = m_values.find(Key(section, entry));
    std::int32_t value = def;
    if (it == m_values.end() || !detail::ProfileIntFromVariant(it->second, value)) return def;
    return value;
  }
  bool WriteProfileInt(const QString& section, const QString& entry, std::int32_t value) override {
    m_values[Key(section, entry)] = QVariant(value);
    return true;
  }
  QString GetProfileString(const QString& section, const QString& entry,
                           const QString& def) const override {
    const auto it = m_values.find(Key(section, entry));
    return it == m_values.end() ? def : it->second.toString();
  }
  bool WriteProfileString(const QString& section, const QString& entry,
                          const QString& value) override {
    m_values[Key(section, entry)] = QVariant(value);
    return true;
  }
  // Whether an entry exists at all.
  bool Contains(const QString& section, const QString& entry) const {
    return m_values.count(Key(section, entry)) != 0;
  }

 private:
  static QString Key(const QString& section, const QString& entry) { return section + '/' + entry; }

  std::map<QString, QVariant> m_values;  // keyed "section/entry"
};

}  // namespace cyrvert::test
