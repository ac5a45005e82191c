#include "logging/client/log_folder.hpp"

#include <gtest/gtest.h>

namespace zirok::logging {
namespace {

TEST(LogFolderTest, FollowsTheUserFolders) {
    const std::string roamingLogs =
        "C:\\Users\\u\\AppData\\Roaming\\Brightfold\\ZIROK OPOS Driver\\Logs\\";
    struct Case {
        const char* temp;
        int version;
        const char* roaming;
        std::string expected;
    };
    const Case cases[] = {
        {"C:\\Users\\u\\AppData\\Local\\Temp\\", 6, "", roamingLogs},
        {"C:\\Users\\u\\AppData\\Local\\Temp\\", 10, "", roamingLogs},
        {"C:\\Users\\u\\AppData\\Local\\", 6, "", roamingLogs},
        {"C:\\Users\\u\\AppData\\Local", 6, "", roamingLogs},
        // Before the Local/Roaming split, and where the temporary folder is
        // not a user's, the temporary folder is the log folder.
        {"C:\\Users\\u\\AppData\\Local\\Temp\\", 5, "", "C:\\Users\\u\\AppData\\Local\\Temp\\"},
        {"C:\\WINDOWS\\TEMP\\", 6, "", "C:\\WINDOWS\\TEMP\\"},
        {"C:\\Users\\u\\AppData\\local\\Temp\\", 6, "", "C:\\Users\\u\\AppData\\local\\Temp\\"},
        // "Local" counts only as a whole folder level.
        {"C:\\Users\\Localadmin\\AppData\\Local\\Temp\\", 6, "",
         "C:\\Users\\Localadmin\\AppData\\Roaming\\Brightfold\\ZIROK OPOS Driver\\Logs\\"},
        {"C:\\Users\\u\\AppData\\LocalLow\\Temp\\", 6, "",
         "C:\\Users\\u\\AppData\\LocalLow\\Temp\\"},
        // A platform that names its roaming folder directly.
        {"/tmp/", 6, "/home/u/.local/state/",
         "/home/u/.local/state/Brightfold/ZIROK OPOS Driver/Logs/"},
        {"/home/Local/tmp/", 6, "/s", "/s/Brightfold/ZIROK OPOS Driver/Logs/"},
        {"/tmp/", 5, "/home/u/.local/state/", "/tmp/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(logFolderFor(c.temp, c.version, c.roaming), c.expected)
            << c.temp << " version " << c.version << " roaming \"" << c.roaming << '"';
    }
}

}  // namespace
}  // namespace zirok::logging
