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

}  // namespace cyrvert
