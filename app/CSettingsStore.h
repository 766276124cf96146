#pragma once
#include <QString>
#include <cstdint>
#include <memory>

class QSettings;

/// The per-user store of the program's parameters, read and written by
/// (section, value name). Sections may be nested with a backslash
/// ("Windows\MainDlg"). A missing or unreadable value reads as the default
/// given; write failures are ignored. A damaged store never stops the program.
class CSettingsStore {
public:
    /// The user's store: organisation "Quillstead Morvane", application named
    /// after the executable (QCoreApplication::applicationName()).
    CSettingsStore();
    /// A store kept in the INI file at `filePath` (for tests and tools).
    explicit CSettingsStore(const QString& filePath);
    ~CSettingsStore();
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    QString ReadText(const QString& section, const QString& name, const QString& defaultValue) const;
    /// A value that is missing, not an integer or outside 32 bits gives the default.
    std::int32_t ReadInt(const QString& section, const QString& name, std::int32_t defaultValue) const;
    void WriteText(const QString& section, const QString& name, const QString& value);
    void WriteInt(const QString& section, const QString& name, std::int32_t value);
    /// Pushes pending writes to the disk now (they also go at destruction).
    void Flush();

    /// Where the values live (a file path).
    QString Location() const;

    static constexpr const char* kOrganisation = "Quillstead Morvane";
    static constexpr const char* kSectionData = "Data";
    static constexpr const char* kSectionMainDlg = "Windows\\MainDlg";

private:
    static QString Key(const QString& section, const QString& name);

    std::unique_ptr<QSettings> m_settings;
};
