#include "cli/OutputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/CliError.h"
#include "report/ReplacingFile.h"

namespace morvane::cli {

OutputFile::OutputFile(const std::string& path) {
    if (path.empty() || path == "-") {
        m_name = "standard output";
        m_file = stdout;
        return;
    }
    m_name = path;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        // A device or a pipe cannot be replaced; it is written as it is.
        m_file = std::fopen(path.c_str(), "wb");
        if (!m_file) throw CannotWrite(path, std::strerror(errno));
        m_ownsFile = true;
        return;
    }
    m_replacing = std::make_unique<ReplacingFile>(path);
    m_file = m_replacing->File();
    if (!m_file) {
        const int error = errno;
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) throw CannotWrite(path, "it is a directory");
        throw CannotWrite(path, error ? std::strerror(error) : "the file may not be replaced");
    }
}

OutputFile::~OutputFile() {
    if (m_ownsFile && m_file) std::fclose(m_file);
}

bool OutputFile::Interactive() const {
    struct stat info {};
    if (::fstat(::fileno(m_file), &info) != 0) return false;
    return S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode) || S_ISSOCK(info.st_mode);
}

void OutputFile::Commit() {
    if (!m_file) throw CannotWrite(m_name, "already closed");
    errno = 0;
    if (m_replacing) {
        m_file = nullptr;
        if (!m_replacing->Commit()) throw CannotWrite(m_name, errno ? std::strerror(errno) : "write failed");
        return;
    }
    const bool flushed = std::fflush(m_file) == 0 && !std::ferror(m_file);
    const int error = errno;
    if (m_ownsFile) {
        std::FILE* file = m_file;
        m_file = nullptr;
        const bool closed = std::fclose(file) == 0;
        if (flushed && !closed) throw CannotWrite(m_name, std::strerror(errno));
    }
    if (!flushed) throw CannotWrite(m_name, error ? std::strerror(error) : "write failed");
}

}  // namespace morvane::cli
