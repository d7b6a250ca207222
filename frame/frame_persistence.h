// What the main frame keeps in the profile: its normal rectangle ("MainWindow") and the view
// font ("FONT"). Free functions over the store, so they are testable without a window.
#pragma once

#include <QRect>

#include "docview/font_description.h"
#include "profile/profile_store.h"

namespace cyrvert {

// The window's normal rectangle by its four edges, right and bottom exclusive.
struct NormalRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const NormalRect&) const = default;
};

// The edges of `rect`.
NormalRect NormalRectFromQRect(const QRect& rect);
// The rectangle with these edges, as it stands (an inverted one gives a negative size).
QRect QRectFromNormalRect(const NormalRect& rect);

// Reads "NORM_L", "NORM_T", "NORM_R", "NORM_B", each defaulting to the edge of `current`.
NormalRect LoadNormalRect(const ProfileStore& store, const NormalRect& current);
// Writes the four edges.
void SaveNormalRect(ProfileStore& store, const NormalRect& rect);

// The stored font description, or `system` unchanged when "Height" is 0 or missing. The byte
// fields are cut to 8 bits and the face name to its first 31 characters.
LogFont LoadLogFont(const ProfileStore& store, const LogFont& system);
// Writes the description, unless its height is 0 (no font).
void SaveLogFont(ProfileStore& store, const LogFont& font);

}  // namespace cyrvert
