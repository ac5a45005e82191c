// The trace library as its client sees it: loaded by name, driven through the
// six C entry points.
#include "logging/library/quillog.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/logging/scratch.hpp"

namespace zirok::logging {
namespace {

using testing::isTraceLine;
using testing::readFile;
using testing::readLines;
using testing::ScopedEnv;
using testing::ScratchFolder;

struct Quillog {
    Quillog() {
        library = dlopen("libquillog.so", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        create = reinterpret_cast<QuillCreateLoggerFn>(dlsym(library, "CreateLogger"));
        remove = reinterpret_cast<QuillDeleteLoggerFn>(dlsym(library, "DeleteLogger"));
        add = reinterpret_cast<QuillAddLogInstanceFn>(dlsym(library, "AddLogInstance"));
        open = reinterpret_cast<QuillOpenLoggerFn>(dlsym(library, "OpenLogger"));
        close = reinterpret_cast<QuillCloseLoggerFn>(dlsym(library, "CloseLogger"));
        write = reinterpret_cast<QuillWriteMessageFn>(dlsym(library, "WriteMessage"));
    }
    ~Quillog() {
        if (library) dlclose(library);
    }
    bool complete() const { return create && remove && add && open && close && write; }

    void* library = nullptr;
    QuillCreateLoggerFn create = nullptr;
    QuillDeleteLoggerFn remove = nullptr;
    QuillAddLogInstanceFn add = nullptr;
    QuillOpenLoggerFn open = nullptr;
    QuillCloseLoggerFn close = nullptr;
    QuillWriteMessageFn write = nullptr;
};

class QuillogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(q.library) << dlerror();
        ASSERT_TRUE(q.complete());
    }

    // A logger with one instance "trace" in folder, opened.
    QuillHandle openLogger(const std::string& folder) {
        QuillHandle logger = q.create();
        EXPECT_EQ(q.add(logger, "trace", folder.c_str()), 1);
        EXPECT_EQ(q.open(logger), 1);
        return logger;
    }

    Quillog q;
    ScratchFolder dir;
};

TEST_F(QuillogTest, LineIsStampPrefixMessageAndSemicolon) {
    struct Case {
        int level;
        const char* text;
        std::string body;
    };
    const Case cases[] = {
        {0, "abc", "abc"},
        {1, "abc", "[warning] abc"},
        {2, "abc", "[ERROR!] abc"},
        {7, "abc", "abc"},
        {-1, "abc", "abc"},
        {1, "", "[warning] "},
        {2, nullptr, "[ERROR!] "},
        // Windows-1251 text goes out byte for byte.
        {0, "\xCF\xF0\xE8\xE2\xE5\xF2 ;x", "\xCF\xF0\xE8\xE2\xE5\xF2 ;x"},
    };
    QuillHandle logger = openLogger(dir.path);
    for (const Case& c : cases) q.write(logger, c.text, c.level);
    q.remove(logger);

    std::string text = readFile(dir / "trace.log");
    ASSERT_EQ(text.substr(text.size() - 4), "x;\r\n") << "every line ends in CR LF";
    auto lines = readLines(dir / "trace.log");
    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(isTraceLine(lines[i], cases[i].body)) << "level " << cases[i].level;
    }
}

TEST_F(QuillogTest, OpenCreatesEveryMissingFolderLevel) {
    // No trailing separator: the library adds it.
    QuillHandle logger = openLogger(dir / "a/b/c");
    q.write(logger, "deep", 0);
    q.remove(logger);

    auto lines = readLines(dir / "a/b/c/trace.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(isTraceLine(lines[0], "deep"));
}

TEST_F(QuillogTest, EmptyFolderMeansTemporaryFolder) {
    ScopedEnv tmp("TMPDIR", dir.path);
    QuillHandle logger = openLogger("");
    q.write(logger, "in temp", 0);
    q.remove(logger);

    auto lines = readLines(dir / "trace.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(isTraceLine(lines[0], "in temp"));
}

TEST_F(QuillogTest, ReopeningAppendsToWhatIsThere) {
    QuillHandle first = openLogger(dir.path);
    q.write(first, "one", 0);
    q.remove(first);

    QuillHandle second = openLogger(dir.path);
    q.write(second, "two", 0);
    EXPECT_EQ(q.close(second), 1);
    EXPECT_EQ(q.open(second), 1);
    q.write(second, "three", 0);
    q.remove(second);

    auto lines = readLines(dir / "trace.log");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(isTraceLine(lines[0], "one"));
    EXPECT_TRUE(isTraceLine(lines[1], "two"));
    EXPECT_TRUE(isTraceLine(lines[2], "three"));
}

TEST_F(QuillogTest, NothingIsWrittenUnlessOpen) {
    QuillHandle logger = q.create();
    EXPECT_EQ(q.write(logger, "no instance", 0), 0);
    q.add(logger, "trace", dir.path.c_str());
    q.write(logger, "before open", 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "trace.log"));

    q.open(logger);
    q.write(logger, "open", 0);
    q.close(logger);
    q.write(logger, "after close", 0);
    q.remove(logger);

    auto lines = readLines(dir / "trace.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(isTraceLine(lines[0], "open"));
}

TEST_F(QuillogTest, UnopenableFileDropsLinesQuietly) {
    std::ofstream(dir / "plain") << "a file, not a folder";
    QuillHandle logger = openLogger(dir / "plain/sub");
    EXPECT_EQ(q.write(logger, "lost", 2), 0);
    q.remove(logger);
    EXPECT_EQ(readFile(dir / "plain"), "a file, not a folder");
}

TEST_F(QuillogTest, NullHandleIsRefusedEverywhere) {
    EXPECT_EQ(q.add(nullptr, "trace", dir.path.c_str()), 0);
    EXPECT_EQ(q.open(nullptr), 0);
    EXPECT_EQ(q.close(nullptr), 0);
    EXPECT_EQ(q.write(nullptr, "x", 0), 0);
    q.remove(nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
}

TEST_F(QuillogTest, SameNameAddedTwiceIsTwoInstances) {
    std::string other = dir / "other";
    QuillHandle logger = q.create();
    q.add(logger, "trace", dir.path.c_str());
    q.add(logger, "trace", other.c_str());
    q.add(logger, "trace", dir.path.c_str());
    q.open(logger);
    q.write(logger, "fan out", 1);
    q.remove(logger);

    auto here = readLines(dir / "trace.log");
    ASSERT_EQ(here.size(), 2u);
    EXPECT_TRUE(isTraceLine(here[0], "[warning] fan out"));
    EXPECT_TRUE(isTraceLine(here[1], "[warning] fan out"));
    auto there = readLines(dir / "other/trace.log");
    ASSERT_EQ(there.size(), 1u);
    EXPECT_TRUE(isTraceLine(there[0], "[warning] fan out"));
}

TEST_F(QuillogTest, LongLineBetweenShortOnesStaysWhole) {
    std::string big(200000, 'x');
    QuillHandle logger = openLogger(dir.path);
    q.write(logger, "short", 0);
    q.write(logger, big.c_str(), 0);
    q.write(logger, "short again", 0);
    q.remove(logger);

    auto lines = readLines(dir / "trace.log");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(isTraceLine(lines[0], "short"));
    EXPECT_TRUE(isTraceLine(lines[1], big));
    EXPECT_TRUE(isTraceLine(lines[2], "short again"));
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST_F(QuillogTest, OpeningAgainDoesNotLeakTheFile) {
    std::size_t before = openDescriptors();
    QuillHandle logger = openLogger(dir.path);
    for (int i = 0; i < 5; ++i) q.open(logger);
    EXPECT_EQ(openDescriptors(), before + 1);
    q.write(logger, "once", 0);
    q.remove(logger);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(readLines(dir / "trace.log").size(), 1u);
}

}  // namespace
}  // namespace zirok::logging
