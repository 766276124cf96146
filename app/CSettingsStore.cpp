#include "app/CSettingsStore.h"

#include <QCoreApplication>
#include <QSettings>
#include <QVariant>
#include <limits>

CSettingsStore::CSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QString::fromLatin1(kOrganisation),
                                             QCoreApplication::applicationName())) {}

CSettingsStore::CSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

CSettingsStore::~CSettingsStore() { Flush(); }

QString CSettingsStore::Key(const QString& section, const QString& name) {
    // QSettings nests groups with '/'; a backslash section name nests the same way.
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + name;
}

QString CSettingsStore::ReadText(const QString& section, const QString& name, const QString& defaultValue) const {
    const QVariant value = m_settings->value(Key(section, name));
    if (!value.isValid() || !value.canConvert<QString>())
        return defaultValue;
    // A list (a value written by hand with commas) is not a text we wrote.
    if (value.typeId() == QMetaType::QStringList)
        return defaultValue;
    return value.toString();
}

std::int32_t CSettingsStore::ReadInt(const QString& section, const QString& name, std::int32_t defaultValue) const {
    const QVariant value = m_settings->value(Key(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const QString text = value.toString().trimmed();
    const qlonglong number = text.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max())
        return defaultValue;
    return static_cast<std::int32_t>(number);
}

void CSettingsStore::WriteText(const QString& section, const QString& name, const QString& value) {
    m_settings->setValue(Key(section, name), value);
}

void CSettingsStore::WriteInt(const QString& section, const QString& name, std::int32_t value) {
    m_settings->setValue(Key(section, name), static_cast<int>(value));
}

void CSettingsStore::Flush() { m_settings->sync(); }

QString CSettingsStore::Location() const { return m_settings->fileName(); }
