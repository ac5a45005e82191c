#include <fcntl.h>
#include "platform/unicode_text.hpp"
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/ansi_text.hpp"
#include "platform/folders.hpp"
#include "platform/posix/reg_file.hpp"
#include "platform/registry.hpp"

// Each hive is one file. Readers never lock: a writer replaces the file by
// renaming a complete temporary file over it, so a reader sees the old or the
// new content, never a mix. Writers serialise on an flock()ed lock file beside
// the hive, re-read the hive under the lock and write it whole, so no change
// of another process is lost.
//
// A reader keeps the parsed hive and parses again only when the file's
// identity (device, inode, size, modification time) changed. Inode numbers are
// reused and file times are coarse, so two quick writes could leave equal
// identities; every writer therefore gives the new file a modification time
// later than the one it replaces.

namespace zirok::platform {

namespace {

using regfile::Hive;
using regfile::Key;

// A change that cannot be stored; callers turn it into their own failure.
struct StoreWriteFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The key a write goes to was deleted meanwhile.
struct KeyGone {};

StoreWriteFailure systemFailure(const std::string& what, const std::string& path) {
    return StoreWriteFailure(what + " " + path + ": " + std::strerror(errno));
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

struct FileIdentity {
    bool present = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileIdentity of(const struct stat& st) {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    bool operator==(const FileIdentity& o) const {
        return present == o.present && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

bool later(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

timespec justAfter(timespec t) {
    if (++t.tv_nsec == 1000000000L) {
        t.tv_nsec = 0;
        ++t.tv_sec;
    }
    return t;
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw systemFailure("cannot write", path);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::size_t hiveIndex(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? 0 : 1;
}

constexpr std::array<RegistryHive, 2> kHives = {RegistryHive::LocalMachine,
                                                RegistryHive::CurrentUser};

std::u16string quotedName(const char16_t* what, std::u16string_view name) {
    return std::u16string(what) + u"'" + std::u16string(name) + u"'";
}

[[noreturn]] void invalidType(std::u16string_view name) {
    throw RegistryError(quotedName(u"Invalid data type for ", name));
}
[[noreturn]] void noData(std::u16string_view name) {
    throw RegistryError(quotedName(u"Failed to get data for ", name));
}
[[noreturn]] void cannotSet(std::u16string_view name) {
    throw RegistryError(quotedName(u"Failed to set data for ", name));
}

}  // namespace

RegistryError::RegistryError(const std::u16string& message)
    : std::runtime_error(wideToUtf8(message)), message_(message) {}

const char* hiveName(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

class RegistryStoreState {
  public:
    explicit RegistryStoreState(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }

    // The hive as its file holds it now.
    std::shared_ptr<const Hive> snapshot(RegistryHive hive) {
        std::lock_guard guard(mutex_);
        Cached& cached = cache_[hiveIndex(hive)];
        struct stat st {};
        FileIdentity identity;
        if (::stat(filePath(hive).c_str(), &st) == 0) identity = FileIdentity::of(st);
        if (cached.hive && cached.identity == identity) return cached.hive;
        try {
            return loadLocked(hive).hive;
        } catch (const StoreWriteFailure&) {
            return std::make_shared<const Hive>();  // unreadable: nothing to see
        }
    }

    // Applies `change` to the latest hive and stores the result when it
    // reports a change. Returns whether it did; raises StoreWriteFailure, or
    // whatever `change` raises, with the file left as it was.
    template <class Change>
    bool modify(RegistryHive hive, Change&& change) {
        std::lock_guard guard(mutex_);
        if (!createFolders(folder_)) throw systemFailure("cannot create", folder_);
        const std::string path = filePath(hive);
        const std::string lockPath = path + ".lock";
        Fd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (lock.get() < 0) throw systemFailure("cannot open", lockPath);
        while (::flock(lock.get(), LOCK_EX) != 0)
            if (errno != EINTR) throw systemFailure("cannot lock", lockPath);

        const Cached current = loadLocked(hive);
        Hive next = *current.hive;
        if (!change(next)) return false;

        const std::string text =
            std::string(regfile::kHeader) + "\n" + regfile::formatTree(next, hive, u"");
        const std::string temporary = path + ".tmp" + std::to_string(::getpid());
        struct RemoveUnlessRenamed {
            const std::string& path;
            bool renamed = false;
            ~RemoveUnlessRenamed() {
                if (!renamed) ::unlink(path.c_str());
            }
        } cleanup{temporary};

        Fd out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (out.get() < 0) throw systemFailure("cannot create", temporary);
        writeAll(out.get(), text, temporary);
        struct stat st {};
        if (::fstat(out.get(), &st) != 0) throw systemFailure("cannot examine", temporary);
        if (current.identity.present && !later(st.st_mtim, current.identity.modified)) {
            const timespec times[2] = {{0, UTIME_OMIT}, justAfter(current.identity.modified)};
            if (::futimens(out.get(), times) != 0 || ::fstat(out.get(), &st) != 0)
                throw systemFailure("cannot set the time of", temporary);
        }
        if (::fsync(out.get()) != 0) throw systemFailure("cannot flush", temporary);
        if (::close(out.release()) != 0) throw systemFailure("cannot close", temporary);
        // A file with lines the store could not use loses them now; keep it
        // beside the new one, so a hand edit with a slip is not gone for good.
        if (current.unusedLines) {
            const std::string kept = path + ".bak";
            ::unlink(kept.c_str());
            ::link(path.c_str(), kept.c_str());
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            throw systemFailure("cannot replace", path);
        cleanup.renamed = true;
        Fd folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0) ::fsync(folder.get());  // makes the rename itself durable

        cache_[hiveIndex(hive)] = {FileIdentity::of(st),
                                   std::make_shared<const Hive>(std::move(next)), 0};
        return true;
    }

    // Whether changes can be stored: the folder can be made and written.
    bool writable(RegistryHive hive) const {
        if (!createFolders(folder_) || ::access(folder_.c_str(), W_OK) != 0) return false;
        const std::string path = filePath(hive);
        return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
    }

  private:
    struct Cached {
        FileIdentity identity;
        std::shared_ptr<const Hive> hive;
        std::size_t unusedLines = 0;  // malformed, or of the other hive
    };

    std::string filePath(RegistryHive hive) const { return folder_ + hiveName(hive) + ".reg"; }

    // Reads the file unless the cache holds it already. A missing file is an
    // empty hive; one that exists and cannot be read raises StoreWriteFailure,
    // so that no write replaces content it never saw.
    Cached loadLocked(RegistryHive hive) {
        Cached& cached = cache_[hiveIndex(hive)];
        const std::string path = filePath(hive);
        Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0) {
            if (errno != ENOENT) throw systemFailure("cannot open", path);
            if (!cached.hive || cached.identity.present)
                cached = {FileIdentity(), std::make_shared<const Hive>(), 0};
            return cached;
        }
        struct stat st {};
        if (::fstat(in.get(), &st) != 0) throw systemFailure("cannot examine", path);
        const FileIdentity identity = FileIdentity::of(st);
        if (cached.hive && cached.identity == identity) return cached;

        std::string text;
        text.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw systemFailure("cannot read", path);
            if (n == 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        const regfile::ParsedText parsed = regfile::parse(text);
        auto content = std::make_shared<Hive>();
        regfile::apply(*content, hive, parsed.operations);
        std::size_t unused = parsed.skippedLines.size();
        for (const auto& op : parsed.operations) unused += op.hive != hive;
        cached = {identity, std::move(content), unused};
        return cached;
    }

    std::string folder_;
    std::mutex mutex_;
    std::array<Cached, 2> cache_;
};

// ---- RegistryKey

namespace {

std::optional<RegistryData> lookUp(RegistryStoreState& store, RegistryHive hive,
                                   std::u16string_view path, std::u16string_view name) {
    const auto content = store.snapshot(hive);
    const Key* key = regfile::findKey(*content, path);
    if (!key) return std::nullopt;
    const regfile::Value* value = regfile::findValue(*key, name);
    if (!value) return std::nullopt;
    return value->data;
}

}  // namespace

bool RegistryKey::exists() const {
    return regfile::findKey(*store_->snapshot(hive_), path_) != nullptr;
}

RegistryType RegistryKey::valueType(std::u16string_view name) const {
    const auto data = lookUp(*store_, hive_, path_, name);
    return data ? regfile::typeOf(*data) : RegistryType::Absent;
}

bool RegistryKey::valueExists(std::u16string_view name) const {
    return lookUp(*store_, hive_, path_, name).has_value();
}

std::u16string RegistryKey::readString(std::u16string_view name) const {
    const auto data = lookUp(*store_, hive_, path_, name);
    if (!data) return {};
    if (data->type != kRegSz && data->type != kRegExpandSz) invalidType(name);
    return regfile::dataText(*data);
}

std::int32_t RegistryKey::readInteger(std::u16string_view name) const {
    const auto data = lookUp(*store_, hive_, path_, name);
    if (!data) noData(name);
    if (regfile::typeOf(*data) != RegistryType::Integer) invalidType(name);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data->bytes[i]);
    return static_cast<std::int32_t>(value);
}

std::string RegistryKey::readBinary(std::u16string_view name) const {
    auto data = lookUp(*store_, hive_, path_, name);
    if (!data) noData(name);
    const RegistryType type = regfile::typeOf(*data);
    if (data->type == kRegExpandSz || (type != RegistryType::Binary && type != RegistryType::Other))
        invalidType(name);
    return std::move(data->bytes);
}

std::optional<RegistryData> RegistryKey::readData(std::u16string_view name) const {
    return lookUp(*store_, hive_, path_, name);
}

void RegistryKey::write(std::u16string_view name, RegistryData data) {
    if (!writable() || !regfile::validName(name)) cannotSet(name);
    try {
        store_->modify(hive_, [&](Hive& content) {
            Key* key = regfile::findKey(content, path_);
            if (!key) throw KeyGone{};
            return regfile::setValue(*key, name, data);
        });
    } catch (const StoreWriteFailure&) {
        cannotSet(name);
    } catch (const KeyGone&) {
        cannotSet(name);
    }
}

void RegistryKey::writeString(std::u16string_view name, std::u16string_view text) {
    write(name, regfile::stringData(text));
}

void RegistryKey::writeInteger(std::u16string_view name, std::int32_t value) {
    write(name, regfile::integerData(static_cast<std::uint32_t>(value)));
}

void RegistryKey::writeBinary(std::u16string_view name, std::string_view bytes) {
    write(name, {kRegBinary, std::string(bytes)});
}

void RegistryKey::writeData(std::u16string_view name, const RegistryData& data) {
    write(name, data);
}

bool RegistryKey::deleteValue(std::u16string_view name) {
    if (!writable()) return false;
    try {
        return store_->modify(hive_, [&](Hive& content) {
            Key* key = regfile::findKey(content, path_);
            return key && regfile::eraseValue(*key, name);
        });
    } catch (const StoreWriteFailure&) {
        return false;
    }
}

std::vector<std::u16string> RegistryKey::valueNames() const {
    std::vector<std::u16string> names;
    const auto content = store_->snapshot(hive_);
    if (const Key* key = regfile::findKey(*content, path_))
        for (const auto& value : key->values) names.push_back(value.name);
    return names;
}

std::vector<std::u16string> RegistryKey::subkeyNames() const {
    std::vector<std::u16string> names;
    const auto content = store_->snapshot(hive_);
    const std::u16string folded = regfile::fold(path_);
    auto it = content->keys.find(folded);
    if (it == content->keys.end()) return names;
    const std::u16string prefix = folded.empty() ? folded : folded + u'\\';
    for (++it; it != content->keys.end() && it->first.starts_with(prefix); ++it) {
        if (it->first.find(u'\\', prefix.size()) != std::u16string::npos) continue;  // deeper
        names.push_back(it->second.path.substr(prefix.size()));  // spelled as folded: same length
    }
    return names;
}

// The byte-text forms: Windows-1251 names and texts.

RegistryType RegistryKey::valueType(std::string_view name) const {
    return valueType(ansiToWide(name));
}
bool RegistryKey::valueExists(std::string_view name) const {
    return valueExists(ansiToWide(name));
}
std::string RegistryKey::readString(std::string_view name) const {
    return wideToAnsi(readString(ansiToWide(name)));
}
std::int32_t RegistryKey::readInteger(std::string_view name) const {
    return readInteger(ansiToWide(name));
}
std::string RegistryKey::readBinary(std::string_view name) const {
    return readBinary(ansiToWide(name));
}
std::optional<RegistryData> RegistryKey::readData(std::string_view name) const {
    return readData(ansiToWide(name));
}
void RegistryKey::writeString(std::string_view name, std::string_view text) {
    writeString(ansiToWide(name), ansiToWide(text));
}
void RegistryKey::writeInteger(std::string_view name, std::int32_t value) {
    writeInteger(ansiToWide(name), value);
}
void RegistryKey::writeBinary(std::string_view name, std::string_view bytes) {
    writeBinary(ansiToWide(name), bytes);
}
void RegistryKey::writeData(std::string_view name, const RegistryData& data) {
    writeData(ansiToWide(name), data);
}
bool RegistryKey::deleteValue(std::string_view name) {
    return deleteValue(ansiToWide(name));
}

// ---- RegistryStore

RegistryStore::RegistryStore(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    state_ = std::make_shared<RegistryStoreState>(std::move(folder));
}

const std::string& RegistryStore::folder() const {
    return state_->folder();
}

std::optional<RegistryKey> RegistryStore::openKey(RegistryHive hive, std::u16string_view path,
                                                  RegistryAccess access) const {
    auto normalised = regfile::normalisePath(path);
    if (!normalised || !regfile::findKey(*state_->snapshot(hive), *normalised)) return std::nullopt;
    if (access == RegistryAccess::ReadWrite && !state_->writable(hive)) return std::nullopt;
    return RegistryKey(state_, hive, std::move(*normalised), access);
}

std::optional<RegistryKey> RegistryStore::createKey(RegistryHive hive, std::u16string_view path) {
    auto normalised = regfile::normalisePath(path);
    if (!normalised) return std::nullopt;
    try {
        state_->modify(hive, [&](Hive& content) {
            if (regfile::findKey(content, *normalised)) return false;
            regfile::ensureKey(content, *normalised);
            return true;
        });
    } catch (const StoreWriteFailure&) {
        return std::nullopt;
    }
    return RegistryKey(state_, hive, std::move(*normalised), RegistryAccess::ReadWrite);
}

bool RegistryStore::keyExists(RegistryHive hive, std::u16string_view path) const {
    auto normalised = regfile::normalisePath(path);
    return normalised && regfile::findKey(*state_->snapshot(hive), *normalised);
}

bool RegistryStore::deleteKey(RegistryHive hive, std::u16string_view path) {
    auto normalised = regfile::normalisePath(path);
    if (!normalised || normalised->empty()) return false;
    try {
        return state_->modify(
            hive, [&](Hive& content) { return regfile::eraseTree(content, *normalised); });
    } catch (const StoreWriteFailure&) {
        return false;
    }
}

std::optional<RegistryKey> RegistryStore::openKey(RegistryHive hive, std::string_view path,
                                                  RegistryAccess access) const {
    return openKey(hive, ansiToWide(path), access);
}
std::optional<RegistryKey> RegistryStore::createKey(RegistryHive hive, std::string_view path) {
    return createKey(hive, ansiToWide(path));
}
bool RegistryStore::keyExists(RegistryHive hive, std::string_view path) const {
    return keyExists(hive, ansiToWide(path));
}
bool RegistryStore::deleteKey(RegistryHive hive, std::string_view path) {
    return deleteKey(hive, ansiToWide(path));
}

RegistryImportReport RegistryStore::importRegText(std::string_view text) {
    regfile::ParsedText parsed = regfile::parse(text);
    for (RegistryHive hive : kHives) {
        bool touches = false;
        for (const auto& op : parsed.operations) touches |= op.hive == hive;
        if (!touches) continue;
        try {
            state_->modify(hive, [&](Hive& content) {
                return regfile::apply(content, hive, parsed.operations);
            });
        } catch (const StoreWriteFailure& failure) {
            throw RegistryError(u"Cannot store the imported keys: " +
                                utf8ToWide(failure.what()).value_or(u""));
        }
    }
    return {std::move(parsed.skippedLines)};
}

std::string RegistryStore::exportRegText(std::string_view key) const {
    std::string text = std::string(regfile::kHeader) + "\n";
    if (key.empty()) {
        for (RegistryHive hive : kHives)
            text += regfile::formatTree(*state_->snapshot(hive), hive, u"");
        return text;
    }
    const auto wide = utf8ToWide(key);
    if (!wide) throw RegistryError(u"Registry key name is not UTF-8 text");
    const std::u16string_view name = *wide;
    const std::size_t slash = name.find(u'\\');
    const auto hive = regfile::hiveFromName(name.substr(0, slash));
    if (!hive) throw RegistryError(quotedName(u"Unknown registry hive in ", name));
    const auto path = regfile::normalisePath(
        slash == std::u16string_view::npos ? std::u16string_view() : name.substr(slash + 1));
    const auto content = state_->snapshot(*hive);
    if (!path || !regfile::findKey(*content, *path))
        throw RegistryError(quotedName(u"Registry key not found: ", name));
    return text + regfile::formatTree(*content, *hive, regfile::fold(*path));
}

RegistryStore registry() {
    static std::mutex mutex;
    static std::map<std::string, RegistryStore> stores;
    const std::string folder = zirokHome() + "registry/";
    std::lock_guard guard(mutex);
    auto it = stores.find(folder);
    if (it == stores.end()) it = stores.emplace(folder, RegistryStore(folder)).first;
    return it->second;
}

}  // namespace zirok::platform
