// Separate store objects and real separate processes on one store.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/registry/scratch_home.hpp"

namespace zirok::platform::testing {
namespace {

constexpr char16_t kKey[] = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok";

// Runs `body` in a child process; its exit code is 0 when it returned and 1
// when it raised.
template <class Body>
pid_t spawn(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 0;
        try {
            body();
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    return pid;
}

int exitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class RegistryProcesses : public ScratchHome {};

TEST_F(RegistryProcesses, StoresSeeEachOthersChangesAtOnce) {
    RegistryStore first = store();
    RegistryStore second = store();
    auto written = first.createKey(HKLM, kKey);
    ASSERT_TRUE(written);
    auto seen = second.openKey(HKLM, kKey);
    ASSERT_TRUE(seen);
    // Values of one length written quickly: the reader must not take the new
    // file for the one it has read already.
    for (int i = 0; i < 100; ++i) {
        const std::u16string text = u"v" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        written->writeString(u"Port", text);
        ASSERT_EQ(seen->readString(u"Port"), text) << i;
    }
    ASSERT_TRUE(second.createKey(HKLM, std::u16string(kKey) + u"\\Pays"));
    EXPECT_EQ(written->subkeyNames(), std::vector<std::u16string>{u"Pays"});
    EXPECT_TRUE(first.deleteKey(HKLM, kKey));
    EXPECT_FALSE(seen->exists());
}

TEST_F(RegistryProcesses, ConcurrentWritersLoseNoChange) {
    constexpr int kWrites = 100;
    ASSERT_TRUE(store().createKey(HKLM, kKey));
    auto writeMany = [this](const std::u16string& prefix) {
        RegistryStore own = store();
        auto key = own.openKey(HKLM, kKey, RegistryAccess::ReadWrite);
        if (!key) throw std::runtime_error("no key");
        for (int i = 0; i < kWrites; ++i) {
            const std::string number = std::to_string(i);
            key->writeInteger(prefix + std::u16string(number.begin(), number.end()), i);
            if (i % 10 == 0) own.createKey(HKLM, std::u16string(kKey) + u"\\" + prefix + u"_key");
        }
    };
    const pid_t child = spawn([&] { writeMany(u"child"); });
    ASSERT_GT(child, 0);
    writeMany(u"parent");
    ASSERT_EQ(exitCode(child), 0);

    auto key = store().openKey(HKLM, kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->valueNames().size(), 2u * kWrites);
    for (const char16_t* prefix : {u"child", u"parent"}) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string number = std::to_string(i);
            const std::u16string name = prefix + std::u16string(number.begin(), number.end());
            ASSERT_EQ(key->valueType(name), RegistryType::Integer);
            EXPECT_EQ(key->readInteger(name), i);
        }
    }
    EXPECT_EQ(key->subkeyNames(), (std::vector<std::u16string>{u"child_key", u"parent_key"}));
}

// A writer killed at any moment leaves the last complete store: readers never
// see a partly written file, and the store goes on working afterwards.
TEST_F(RegistryProcesses, KilledWriterNeverLeavesAHalfWrittenStore) {
    // The blob's length follows from its byte, so a torn write shows.
    auto blobLength = [](int byte) { return 2000u + static_cast<unsigned>(byte % 7) * 3000u; };
    auto wellFormed = [&](RegistryStore& reader) -> ::testing::AssertionResult {
        auto key = reader.openKey(HKLM, kKey);
        if (!key) return ::testing::AssertionFailure() << "key missing";
        if (key->valueType(u"Blob") != RegistryType::Binary)
            return ::testing::AssertionFailure() << "blob missing";
        const std::string blob = key->readBinary(u"Blob");
        const int byte = static_cast<unsigned char>(blob.front());
        if (blob.size() != blobLength(byte) ||
            blob.find_first_not_of(blob.front()) != std::string::npos)
            return ::testing::AssertionFailure() << "torn blob of " << blob.size() << " bytes";
        return ::testing::AssertionSuccess();
    };

    auto key = store().createKey(HKLM, kKey);
    key->writeBinary(u"Blob", std::string(blobLength(0), '\0'));
    const pid_t writer = spawn([&] {
        RegistryStore own = store();
        auto mine = own.openKey(HKLM, kKey, RegistryAccess::ReadWrite);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int i = 1; std::chrono::steady_clock::now() < deadline; i = (i + 1) % 251)
            mine->writeBinary(u"Blob", std::string(blobLength(i), static_cast<char>(i)));
    });
    ASSERT_GT(writer, 0);

    // Read while the writer replaces the blob at least 30 times.
    RegistryStore reader = store();
    int changes = 0;
    std::optional<RegistryData> last;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (changes < 30 && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(wellFormed(reader)) << "after " << changes << " changes";
        auto blob = reader.openKey(HKLM, kKey)->readData(u"Blob");
        changes += blob != last;
        last = std::move(blob);
    }
    EXPECT_GE(changes, 30);
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    RegistryStore after = store();
    EXPECT_TRUE(wellFormed(after));
    EXPECT_EQ(readFile(hiveFile()), after.exportRegText("HKLM"));
    // The dead writer's lock went with it; its temporary file is in no one's way.
    key->writeString(u"Port", u"COM1");
    EXPECT_EQ(store().openKey(HKLM, kKey)->readString(u"Port"), u"COM1");
    EXPECT_TRUE(wellFormed(after));
}

}  // namespace
}  // namespace zirok::platform::testing
