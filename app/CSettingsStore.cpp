#include "app/CSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <unistd.h>

#include "app/CFlushingSettings.h"
#include "report/ReplacingFile.h"

namespace fs = std::filesystem;

namespace {

// A fresh second name in `folder` of the kind ReplacingFile clears once its
// process has ended.
fs::path SecondName(const fs::path& folder) {
    char name[64];
    std::snprintf(name, sizeof name, ".morvane-%ld-%08x.tmp", static_cast<long>(::getpid()),
                  QRandomGenerator::global()->generate());
    return folder / name;
}

// Both hold the same keys with the same values as the file gives them back
// (numbers come back as their texts, lists as lists).
bool SameValues(const QSettings& a, const QSettings& b) {
    QStringList keysA = a.allKeys(), keysB = b.allKeys();
    keysA.sort();
    keysB.sort();
    if (keysA != keysB) return false;
    for (const QString& key : keysA) {
        const QVariant va = a.value(key), vb = b.value(key);
        const bool listed = va.typeId() == QMetaType::QStringList || vb.typeId() == QMetaType::QStringList;
        if (listed ? va.toStringList() != vb.toStringList() : va.toString() != vb.toString()) return false;
    }
    return true;
}

fs::path ToPath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

}  // namespace

CSettingsStore::CSettingsStore()
    : m_settings(std::make_unique<CFlushingSettings>([this] { Flush(); }, QSettings::IniFormat, QSettings::UserScope,
                                                    QString::fromLatin1(kOrganisation),
                                                    QCoreApplication::applicationName())) {}

CSettingsStore::CSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<CFlushingSettings>([this] { Flush(); }, filePath, QSettings::IniFormat)) {}

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

bool CSettingsStore::Flush() {
    const fs::path target = ToPath(m_settings->fileName());
    std::error_code error;
    // The earlier file keeps a second name while Qt writes: a new file that
    // does not read back is replaced by it again, unchanged.
    const bool existed = fs::is_regular_file(fs::symlink_status(target, error));
    fs::path kept;
    if (existed) {
        kept = SecondName(target.parent_path());
        fs::create_hard_link(target, kept, error);
        if (error) kept.clear();
    }
    m_settings->sync();
    // Qt's status keeps the first problem it met (a damaged file read at the
    // start) and misses short writes, so the file itself tells whether the
    // write took.
    const bool written = ReadsBack();
    std::error_code ignored;
    if (!written) {
        if (!kept.empty())
            fs::rename(kept, target, ignored);
        else if (!existed)
            fs::remove(target, ignored);  // no file reads as the defaults, as before
        return false;
    }
    if (!kept.empty()) fs::remove(kept, ignored);
    ClearStaleTemporaries();
    return true;
}

bool CSettingsStore::ReadsBack() const {
    const fs::path target = ToPath(m_settings->fileName());
    // Read under a second name: Qt would answer from what it has in memory
    // for the file's own name.
    const fs::path check = SecondName(target.parent_path());
    std::error_code error;
    fs::create_hard_link(target, check, error);
    if (error) return fs::exists(target, error);  // cannot look: trust Qt's word
    bool same = false;
    {
        const QSettings written(QFile::decodeName(check.c_str()), QSettings::IniFormat);
        same = written.status() == QSettings::NoError && SameValues(written, *m_settings);
    }
    fs::remove(check, error);
    return same;
}

bool CSettingsStore::IsQtTemporaryName(const QString& name, const QString& fileName) {
    constexpr int kRandomLetters = 6;
    if (name.size() != fileName.size() + 1 + kRandomLetters || !name.startsWith(fileName + QLatin1Char('.')))
        return false;
    for (const QChar c : name.right(kRandomLetters))
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) && !(c >= QLatin1Char('A') && c <= QLatin1Char('Z')) &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    return true;
}

void CSettingsStore::ClearStaleTemporaries() const {
    const QFileInfo file(m_settings->fileName());
    const fs::path folder = ToPath(file.absolutePath());
    // Qt's own temporaries exist only while it holds the file's lock: with the
    // lock taken here, every one left is a killed write's.
    QLockFile lock(file.absoluteFilePath() + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(0);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
        if (locked && IsQtTemporaryName(QFile::decodeName(name.c_str()), file.fileName())) {
            fs::remove(it->path(), ignored);
        } else if (morvane::ReplacingFile::IsTemporaryName(name)) {
            // A second name of a store (or an output) whose process has ended.
            const long owner = std::strtol(name.c_str() + 9, nullptr, 10);
            if (owner <= 0 || owner == static_cast<long>(::getpid())) continue;
            if (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
            fs::remove(it->path(), ignored);
        }
    }
}

QString CSettingsStore::Location() const { return m_settings->fileName(); }
