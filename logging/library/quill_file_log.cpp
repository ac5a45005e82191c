#include "logging/library/quill_file_log.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zirok::quillog {

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

void createMissingFolders(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') return;
    struct stat st {};
    for (auto pos = folder.find('/', 1); pos != std::string::npos;
         pos = folder.find('/', pos + 1)) {
        std::string level = folder.substr(0, pos + 1);
        if (stat(level.c_str(), &st) != 0) mkdir(level.c_str(), 0777);
    }
}

CQuillFileLog::CQuillFileLog(std::string name, std::string folder)
    : IQuillSource(std::move(name)), folder_(std::move(folder)) {
    if (folder_.empty()) {
        folder_ = temporaryFolder();
    } else if (folder_.back() != '/') {
        folder_ += '/';
    }
    path_ = folder_ + this->name() + ".log";
}

CQuillFileLog::~CQuillFileLog() {
    close();
}

bool CQuillFileLog::open() {
    // Opening again must not strand the descriptor of the earlier open.
    close();
    createMissingFolders(folder_);
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

void CQuillFileLog::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    std::string().swap(line_);
}

void CQuillFileLog::remove() {
    close();
    ::unlink(path_.c_str());
}

bool CQuillFileLog::writeLine(std::string_view text) {
    if (fd_ < 0 || text.empty()) return false;
    line_.assign(text);
    line_ += "\r\n";
    // One write per line keeps lines whole under O_APPEND; the loop only
    // finishes a write the kernel cut short.
    const char* data = line_.data();
    std::size_t left = line_.size();
    while (left > 0) {
        ssize_t done = ::write(fd_, data, left);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return left != line_.size();
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace zirok::quillog
