#include "profile/qt_profile_store.h"

namespace cyrvert {

namespace {
QString Key(const QString& section, const QString& entry) { return section + '/' + entry; }
}  // namespace

QtProfileStore::QtProfileStore(const QString& organization, const QString& application)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, organization, application) {}

std::int32_t QtProfileStore::GetProfileInt(const QString& section, const QString& entry,
                                           std::int32_t def) const {
  std::int32_t value = def;
  if (!detail::ProfileIntFromVariant(m_settings.value(Key(section, entry)), value)) return def;
  return value;
}

bool QtProfileStore::WriteProfileInt(const QString& section, const QString& entry,
                                     std::int32_t value) {
  m_settings.setValue(Key(section, entry), value);
  return m_settings.status() == QSettings::NoError;
}

QString QtProfileStore::GetProfileString(const QString& section, const QString& entry,
                                         const QString& def) const {
  const QVariant value = m_settings.value(Key(section, entry));
  return value.isValid() ? value.toString() : def;
}

bool QtProfileStore::WriteProfileString(const QString& section, const QString& entry,
                                        const QString& value) {
  m_settings.setValue(Key(section, entry), value);
  return m_settings.status() == QSettings::NoError;
}

void QtProfileStore::Sync() { m_settings.sync(); }

}  // namespace cyrvert
