#include "docview/font_description.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace cyrvert {
namespace {

// Largest character height accepted, in pixels; beyond it no font is made.
constexpr std::int32_t kMaxPixelHeight = 2000;

QFont::StyleHint HintForFamily(std::uint8_t pitch_and_family) {
  switch (pitch_and_family & 0xF0) {
    case kFamilyRoman:
      return QFont::Serif;
    case kFamilySwiss:
      return QFont::SansSerif;
    case kFamilyModern:
      return QFont::Monospace;
    case kFamilyScript:
      return QFont::Cursive;
    case kFamilyDecorative:
      return QFont::Decorative;
    default:
      return QFont::AnyStyle;
  }
}

std::uint8_t FamilyForHint(QFont::StyleHint hint) {
  switch (hint) {
    case QFont::Serif:
      return kFamilyRoman;
    case QFont::SansSerif:
      return kFamilySwiss;
    case QFont::Monospace:
    case QFont::TypeWriter:
      return kFamilyModern;
    case QFont::Cursive:
      return kFamilyScript;
    case QFont::Decorative:
      return kFamilyDecorative;
    default:
      return 0;
  }
}

}  // namespace

std::string TruncateFaceName(const std::string& face) {
  int characters = 0;
  for (std::size_t i = 0; i < face.size(); ++i) {
    if ((static_cast<unsigned char>(face[i]) & 0xC0) != 0x80 && ++characters > kMaxFaceNameLength) {
      return face.substr(0, i);
    }
  }
  return face;
}

std::optional<QFont> FontFromLogFont(const LogFont& font) {
  const std::int64_t height = font.Height < 0 ? -std::int64_t{font.Height} : font.Height;
  if (height > kMaxPixelHeight || font.Weight < 0 || font.Weight > 1000 || font.Width < 0) {
    return std::nullopt;
  }
  QFont qfont;
  const std::string face = TruncateFaceName(font.FaceName);
  if (!face.empty()) qfont.setFamily(QString::fromStdString(face));
  // A positive height counts the cell; pixel size is the nearest Qt has to either.
  if (height > 0) qfont.setPixelSize(static_cast<int>(height));
  qfont.setWeight(font.Weight == 0 ? QFont::Normal : static_cast<QFont::Weight>(font.Weight));
  qfont.setItalic(font.Italic != 0);
  qfont.setUnderline(font.Underline != 0);
  qfont.setStrikeOut(font.StrikeOut);
  const bool fixed = (font.PitchAndFamily & 0x03) == kFixedPitch;
  qfont.setFixedPitch(fixed);
  QFont::StyleHint hint = HintForFamily(font.PitchAndFamily);
  if (fixed && hint == QFont::AnyStyle) hint = QFont::Monospace;
  qfont.setStyleHint(hint);
  return qfont;
}

LogFont LogFontFromFont(const QFont& font, std::uint8_t char_set) {
  LogFont out;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  out.Height = -std::max(pixels, 1);
  out.Weight = font.weight();
  out.Italic = font.italic() ? 1 : 0;
  out.Underline = font.underline() ? 1 : 0;
  out.StrikeOut = font.strikeOut();
  out.CharSet = char_set;
  const bool fixed = font.fixedPitch() || QFontInfo(font).fixedPitch();
  out.PitchAndFamily = static_cast<std::uint8_t>((fixed ? kFixedPitch : kVariablePitch) |
                                                 FamilyForHint(font.styleHint()));
  out.FaceName = TruncateFaceName(font.family().toStdString());
  return out;
}

LogFont SystemLogFont() {
  return LogFontFromFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

}  // namespace cyrvert
