// Loading and saving the Settings record in the profile section "General".
#pragma once

#include <array>
#include <cstdint>

#include "commands/settings.h"
#include "profile/profile_store.h"

namespace cyrvert {

// The profile section that holds the Settings.
inline constexpr const char* kSettingsSection = "General";

// One field of the record: its profile name, its member, and whether it is a yes/no flag.
struct SettingsField {
  const char* name;                // the profile value name, as the field is called
  std::int32_t Settings::*member;  // the field in the record
  bool flag;                       // written as 0 or 1
};

// The fields in the order they are read and written.
extern const std::array<SettingsField, 11> kSettingsFields;

// Reads every field from "General", keeping the field's current value when the entry is missing.
// Values are taken as stored, with no range check.
Settings LoadSettings(const ProfileStore& store, Settings current);

// Writes every field to "General"; the flags are written as 0 or 1, the rest as they are.
void SaveSettings(ProfileStore& store, const Settings& settings);

}  // namespace cyrvert
