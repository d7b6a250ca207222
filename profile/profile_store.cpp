#include "profile/profile_store.h"

#include <limits>

namespace cyrvert {

namespace detail {

bool ProfileIntFromVariant(const QVariant& value, std::int32_t& out) {
  if (!value.isValid()) return false;
  bool ok = false;
  const qlonglong wide = value.toString().trimmed().toLongLong(&ok);
  // A 32-bit value kept as unsigned (as a DWORD would be) reads back as the same bits.
  if (!ok || wide < std::numeric_limits<std::int32_t>::min() ||
      wide > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  out = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
  return true;
}

}  // namespace detail

namespace {
QString Key(const QString& section, const QString& entry) { return section + '/' + entry; }
}  // namespace

std::int32_t MemoryProfileStore::GetProfileInt(const QString& section, const QString& entry,
                                               std::int32_t def) const {
  const auto it = m_values.find(Key(section, entry));
  std::int32_t value = def;
  if (it == m_values.end() || !detail::ProfileIntFromVariant(it->second, value)) return def;
  return value;
}

bool MemoryProfileStore::WriteProfileInt(const QString& section, const QString& entry,
                                         std::int32_t value) {
  m_values[Key(section, entry)] = QVariant(value);
  return true;
}

QString MemoryProfileStore::GetProfileString(const QString& section, const QString& entry,
                                             const QString& def) const {
  const auto it = m_values.find(Key(section, entry));
  return it == m_values.end() ? def : it->second.toString();
}

bool MemoryProfileStore::WriteProfileString(const QString& section, const QString& entry,
                                            const QString& value) {
  m_values[Key(section, entry)] = QVariant(value);
  return true;
}

bool MemoryProfileStore::Contains(const QString& section, const QString& entry) const {
  return m_values.count(Key(section, entry)) != 0;
}

}  // namespace cyrvert
