#include "frame/frame_persistence.h"

#include <algorithm>

namespace cyrvert {

namespace {

const QString kWindowSection = QStringLiteral("MainWindow");
const QString kFontSection = QStringLiteral("FONT");

std::uint8_t LowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

}  // namespace

NormalRect NormalRectFromQRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

QRect QRectFromNormalRect(const NormalRect& rect) {
  // Widen to avoid overflow on absurd stored edges; Qt clamps the size itself.
  const auto width = static_cast<std::int64_t>(rect.right) - rect.left;
  const auto height = static_cast<std::int64_t>(rect.bottom) - rect.top;
  auto clampInt = [](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 24), 1 << 24));
  };
  return QRect(clampInt(rect.left), clampInt(rect.top), clampInt(width), clampInt(height));
}

NormalRect LoadNormalRect(const ProfileStore& store, const NormalRect& current) {
  return {store.GetProfileInt(kWindowSection, QStringLiteral("NORM_L"), current.left),
          store.GetProfileInt(kWindowSection, QStringLiteral("NORM_T"), current.top),
          store.GetProfileInt(kWindowSection, QStringLiteral("NORM_R"), current.right),
          store.GetProfileInt(kWindowSection, QStringLiteral("NORM_B"), current.bottom)};
}

void SaveNormalRect(ProfileStore& store, const NormalRect& rect) {
  store.WriteProfileInt(kWindowSection, QStringLiteral("NORM_L"), rect.left);
  store.WriteProfileInt(kWindowSection, QStringLiteral("NORM_T"), rect.top);
  store.WriteProfileInt(kWindowSection, QStringLiteral("NORM_R"), rect.right);
  store.WriteProfileInt(kWindowSection, QStringLiteral("NORM_B"), rect.bottom);
}

LogFont LoadLogFont(const ProfileStore& store, const LogFont& system) {
  const std::int32_t height = store.GetProfileInt(kFontSection, QStringLiteral("Height"), 0);
  if (height == 0) return system;
  LogFont font = system;
  font.Height = height;
  font.Width = store.GetProfileInt(kFontSection, QStringLiteral("Width"), 0);
  font.Weight = store.GetProfileInt(kFontSection, QStringLiteral("Weight"), 0);
  font.Italic = LowByte(store.GetProfileInt(kFontSection, QStringLiteral("Italic"), 0));
  font.Underline = LowByte(store.GetProfileInt(kFontSection, QStringLiteral("Underline"), 0));
  font.PitchAndFamily =
      LowByte(store.GetProfileInt(kFontSection, QStringLiteral("PitchAndFamily"), 0));
  font.CharSet = LowByte(store.GetProfileInt(kFontSection, QStringLiteral("CharSet"), 0));
  font.FaceName = TruncateFaceName(
      store.GetProfileString(kFontSection, QStringLiteral("FaceName"), QString()).toStdString());
  return font;
}

void SaveLogFont(ProfileStore& store, const LogFont& font) {
  if (font.Height == 0) return;
  store.WriteProfileInt(kFontSection, QStringLiteral("Height"), font.Height);
  store.WriteProfileInt(kFontSection, QStringLiteral("Width"), font.Width);
  store.WriteProfileInt(kFontSection, QStringLiteral("Weight"), font.Weight);
  store.WriteProfileInt(kFontSection, QStringLiteral("Italic"), font.Italic);
  store.WriteProfileInt(kFontSection, QStringLiteral("Underline"), font.Underline);
  store.WriteProfileInt(kFontSection, QStringLiteral("PitchAndFamily"), font.PitchAndFamily);
  store.WriteProfileInt(kFontSection, QStringLiteral("CharSet"), font.CharSet);
  store.WriteProfileString(kFontSection, QStringLiteral("FaceName"),
                           QString::fromStdString(font.FaceName));
}

}  // namespace cyrvert
