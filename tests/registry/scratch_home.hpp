#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/registry.hpp"

namespace zirok::platform::testing {

// A fresh ZIROK_HOME for each test, removed afterwards. Every store() is a new
// store object on the same files, as another process would have.
class ScratchHome : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zirok-reg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        if (const char* old = std::getenv("ZIROK_HOME")) oldHome_ = old;
        setenv("ZIROK_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        if (oldHome_) {
            setenv("ZIROK_HOME", oldHome_->c_str(), 1);
        } else {
            unsetenv("ZIROK_HOME");
        }
        std::filesystem::remove_all(home_);
    }

    std::string folder() const { return home_ + "/registry/"; }
    std::string hiveFile(RegistryHive hive = RegistryHive::LocalMachine) const {
        return folder() + hiveName(hive) + ".reg";
    }
    RegistryStore store() const { return RegistryStore(folder()); }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void writeFile(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    std::string home_;
    std::optional<std::string> oldHome_;
};

inline constexpr auto HKLM = RegistryHive::LocalMachine;
inline constexpr auto HKCU = RegistryHive::CurrentUser;

}  // namespace zirok::platform::testing
