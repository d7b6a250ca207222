// The persisted fields of a platform font description and their mapping onto QFont.
// The main frame stores these fields under "FONT"; views are given fonts made from them.
#pragma once

#include <QFont>
#include <cstdint>
#include <optional>
#include <string>

namespace cyrvert {

// Longest face name kept, in characters.
inline constexpr int kMaxFaceNameLength = 31;

// Pitch bits of PitchAndFamily.
inline constexpr std::uint8_t kFixedPitch = 0x01;
inline constexpr std::uint8_t kVariablePitch = 0x02;
// Family bits of PitchAndFamily.
inline constexpr std::uint8_t kFamilyRoman = 0x10;
inline constexpr std::uint8_t kFamilySwiss = 0x20;
inline constexpr std::uint8_t kFamilyModern = 0x30;
inline constexpr std::uint8_t kFamilyScript = 0x40;
inline constexpr std::uint8_t kFamilyDecorative = 0x50;

// A font description, field for field as it is persisted.
struct LogFont {
  std::int32_t Height = 0;          // negative: character height in pixels; 0: no font
  std::int32_t Width = 0;           // average character width; 0: natural
  std::int32_t Weight = 0;          // 100..900 (400 normal, 700 bold); 0: normal
  std::uint8_t Italic = 0;          // non-zero: italic
  std::uint8_t Underline = 0;       // non-zero: underlined
  std::uint8_t CharSet = 0;         // kept and written back, not interpreted
  std::uint8_t PitchAndFamily = 0;  // pitch in the low two bits, family in the high nibble
  std::string FaceName;             // UTF-8, at most kMaxFaceNameLength characters
  bool StrikeOut = false;           // struck through; chosen in the font dialog, not persisted
  bool operator==(const LogFont&) const = default;
};

// The QFont that `font` describes, or nothing when no font can be made from it.
std::optional<QFont> FontFromLogFont(const LogFont& font);

// The description of `font`; `char_set` fills the field QFont does not carry.
LogFont LogFontFromFont(const QFont& font, std::uint8_t char_set = 0);

// The description of the platform's default fixed-width font, used when none is stored.
LogFont SystemLogFont();

// `face` cut to at most kMaxFaceNameLength characters (whole characters, UTF-8).
std::string TruncateFaceName(const std::string& face);

}  // namespace cyrvert
