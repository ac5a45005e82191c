#pragma once
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace zirok::logging::testing {

// A fresh folder, removed with everything in it at the end of the test.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillog-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& rest) const { return path + "/" + rest; }
    std::string path;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The file's lines without their CR LF; a last piece without one is kept as
// is, so a torn line shows up.
inline std::vector<std::string> readLines(const std::string& path) {
    std::string text = readFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// "HH:MM:SS: " (any valid time of day) followed by exactly body and ";".
inline ::testing::AssertionResult isTraceLine(const std::string& line, const std::string& body) {
    auto stamp = ::testing::MatchesRegex("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]: ");
    if (line.size() >= 10 && ::testing::Matches(stamp)(line.substr(0, 10)) &&
        line.substr(10) == body + ";") {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "line \"" << line << "\" is not a stamp + \"" << body << ";\"";
}

}  // namespace zirok::logging::testing
