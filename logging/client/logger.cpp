#include "logging/client/logger.hpp"

#include <memory>
#include <mutex>

#include "logging/client/log_folder.hpp"
#include "logging/library/quillog.h"
#include "platform/library.hpp"

namespace zirok::logging {

struct QuillEntries {
    QuillCreateLoggerFn createLogger = nullptr;
    QuillDeleteLoggerFn deleteLogger = nullptr;
    QuillAddLogInstanceFn addLogInstance = nullptr;
    QuillOpenLoggerFn openLogger = nullptr;
    QuillCloseLoggerFn closeLogger = nullptr;
    QuillWriteMessageFn writeMessage = nullptr;

    bool complete() const {
        return createLogger && deleteLogger && addLogInstance && openLogger && closeLogger &&
               writeMessage;
    }
};

namespace {

// Counted so that one logger going away does not pull the library from under
// the others, whose lines would otherwise be lost.
struct LoadedLibrary {
    std::mutex mutex;
    std::unique_ptr<platform::Library> library;
    QuillEntries entries;
    int users = 0;
};

LoadedLibrary& loaded() {
    static LoadedLibrary instance;
    return instance;
}

const QuillEntries* acquireLibrary(const std::string& nameOrPath) {
    LoadedLibrary& shared = loaded();
    std::lock_guard lock(shared.mutex);
    if (!shared.library) {
        auto library = platform::Library::load(nameOrPath);
        if (!library) return nullptr;
        QuillEntries entries;
        entries.createLogger = library->function<QuillCreateLoggerFn>("CreateLogger");
        entries.deleteLogger = library->function<QuillDeleteLoggerFn>("DeleteLogger");
        entries.addLogInstance = library->function<QuillAddLogInstanceFn>("AddLogInstance");
        entries.openLogger = library->function<QuillOpenLoggerFn>("OpenLogger");
        entries.closeLogger = library->function<QuillCloseLoggerFn>("CloseLogger");
        entries.writeMessage = library->function<QuillWriteMessageFn>("WriteMessage");
        // A library short of an entry point is as good as none.
        if (!entries.complete()) return nullptr;
        shared.library = std::move(library);
        shared.entries = entries;
    }
    ++shared.users;
    return &shared.entries;
}

void releaseLibrary() {
    LoadedLibrary& shared = loaded();
    std::lock_guard lock(shared.mutex);
    if (--shared.users == 0) {
        shared.library.reset();
        shared.entries = {};
    }
}

}  // namespace

std::string TLogger::defaultLibraryName() {
    return platform::libraryFileName("quillog");
}

TLogger::TLogger() : TLogger(defaultLibraryName()) {}

TLogger::TLogger(const std::string& libraryNameOrPath) {
    entries_ = acquireLibrary(libraryNameOrPath);
    if (!entries_) return;
    handle_ = entries_->createLogger();
    logFolder_ = currentLogFolder();
}

TLogger::~TLogger() {
    if (!entries_) return;
    entries_->closeLogger(handle_);
    entries_->deleteLogger(handle_);
    releaseLibrary();
}

void TLogger::AddInstance(const std::string& name) {
    if (entries_) entries_->addLogInstance(handle_, name.c_str(), logFolder_.c_str());
}

void TLogger::Open() {
    if (entries_) entries_->openLogger(handle_);
}

void TLogger::writeMessage(const std::string& message, int level) {
    if (entries_) entries_->writeMessage(handle_, message.c_str(), level);
}

void TLogger::LogInfo(const std::string& message) {
    writeMessage(message, QUILL_INFO);
}
void TLogger::LogWarning(const std::string& message) {
    writeMessage(message, QUILL_WARNING);
}
void TLogger::LogError(const std::string& message) {
    writeMessage(message, QUILL_ERROR);
}

const std::string& TLogger::LogFolder() {
    if (logFolder_.empty()) logFolder_ = currentLogFolder();
    return logFolder_;
}

void TLogger::write(std::string_view line) {
    if (!entries_) return;
    traffic_.assign(line);
    writeMessage(traffic_, QUILL_INFO);
}

}  // namespace zirok::logging
