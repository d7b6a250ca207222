// Per-user profile values (integers and strings in named sections), behind an interface so the
// application and frame logic can run against an in-memory store in tests.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

namespace cyrvert {

// Reads and writes profile values by section and entry name.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The stored integer, or `def` when the entry is missing or holds no number.
  virtual std::int32_t GetProfileInt(const QString& section, const QString& entry,
                                     std::int32_t def) const = 0;
  // Stores an integer; false when the store could not take it.
  virtual bool WriteProfileInt(const QString& section, const QString& entry,
                               std::int32_t value) = 0;
  // The stored string, or `def` when the entry is missing.
  virtual QString GetProfileString(const QString& section, const QString& entry,
                                   const QString& def) const = 0;
  // Stores a string; false when the store could not take it.
  virtual bool WriteProfileString(const QString& section, const QString& entry,
                                  const QString& value) = 0;
};

namespace detail {
// Converts a stored value to a 32-bit profile integer; false when it is not a number.
bool ProfileIntFromVariant(const QVariant& value, std::int32_t& out);
}  // namespace detail

}  // namespace cyrvert
