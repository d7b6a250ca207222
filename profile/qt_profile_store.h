// The profile store of the running program: QSettings("Severion", "cyrvert") in the platform's
// native format ($XDG_CONFIG_HOME/Severion/cyrvert.conf on Linux).
#pragma once

#include <QSettings>

#include "profile/profile_store.h"

namespace cyrvert {

// Profile values kept by QSettings under the company and application keys.
class QtProfileStore final : public ProfileStore {
 public:
  // Opens the store of `organization`/`application` for the current user.
  QtProfileStore(const QString& organization, const QString& application);
  std::int32_t GetProfileInt(const QString& section, const QString& entry,
                             std::int32_t def) const override;
  bool WriteProfileInt(const QString& section, const QString& entry, std::int32_t value) override;
  QString GetProfileString(const QString& section, const QString& entry,
                           const QString& def) const override;
  bool WriteProfileString(const QString& section, const QString& entry,
                          const QString& value) override;
  // Writes pending changes to disk now.
  void Sync();

 private:
  mutable QSettings m_settings;  // QSettings reads lazily, hence mutable
};

}  // namespace cyrvert
