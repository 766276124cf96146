#pragma once
#include <QString>
#include <cstdint>
#include <memory>

class QSettings;

/// The per-user store of the program's parameters, read and written by
/// (section, value name). Sections may be nested with a backslash
/// ("Windows\MainDlg"). A missing or unreadable value reads as the default
/// given; write failures are ignored. A damaged store never stops the program.
///
/// Every write to the disk (Flush, the timed writes after a change, the
/// destructor) goes through Flush: Qt writes the file to an unnamed temporary
/// in its folder, flushes it and renames it into place; the earlier file is
/// kept under a second name meanwhile, and when the new file does not read
/// back exactly (Qt takes a short write on a full disk for success) the
/// earlier file is renamed back, byte for byte. After a good write the
/// temporaries that killed runs of this program left in the folder go.
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
    /// Returns whether the file now holds every value (false: it was left,
    /// or put back, as it was before).
    bool Flush();

    /// Whether `name` is a temporary Qt's write of the settings file named
    /// `fileName` leaves when the process dies during it: "<file name>.XXXXXX"
    /// (six letters or digits). The store's own second names are
    /// ReplacingFile's (".morvane-PID-XXXXXXXX.tmp").
    static bool IsQtTemporaryName(const QString& name, const QString& fileName);

    /// Where the values live (a file path).
    QString Location() const;

    static constexpr const char* kOrganisation = "Quillstead Morvane";
    static constexpr const char* kSectionData = "Data";
    static constexpr const char* kSectionMainDlg = "Windows\\MainDlg";

private:
    static QString Key(const QString& section, const QString& name);
    // Whether the file on the disk holds exactly the values the store holds.
    bool ReadsBack() const;
    // Removes what killed writes left in the file's folder.
    void ClearStaleTemporaries() const;

    std::unique_ptr<QSettings> m_settings;
};
