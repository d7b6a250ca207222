#include "profile/settings_io.h"

namespace cyrvert {

const std::array<SettingsField, 11> kSettingsFields = {{
    {"Depth", &Settings::Depth, false},
    {"Sense", &Settings::Sense, false},
    {"AutoClip", &Settings::AutoClip, true},
    {"N_best", &Settings::N_best, false},
    {"Out_to", &Settings::Out_to, false},
    {"Tray", &Settings::Tray, false},
    {"Import", &Settings::Import, false},
    {"Target", &Settings::Target, false},
    {"BigLetters", &Settings::BigLetters, true},
    {"ShowTranslateWay", &Settings::ShowTranslateWay, true},
    {"ClipOnlyDamaged", &Settings::ClipOnlyDamaged, true},
}};

Settings LoadSettings(const ProfileStore& store, Settings current) {
  const QString section = QString::fromLatin1(kSettingsSection);
  for (const SettingsField& field : kSettingsFields) {
    current.*field.member =
        store.GetProfileInt(section, QString::fromLatin1(field.name), current.*field.member);
  }
  return current;
}

void SaveSettings(ProfileStore& store, const Settings& settings) {
  const QString section = QString::fromLatin1(kSettingsSection);
  for (const SettingsField& field : kSettingsFields) {
    std::int32_t value = settings.*field.member;
    if (field.flag) value = value != 0 ? 1 : 0;
    store.WriteProfileInt(section, QString::fromLatin1(field.name), value);
  }
}

}  // namespace cyrvert
