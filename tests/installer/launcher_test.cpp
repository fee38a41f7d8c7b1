// The launcher's decisions, driven through a fake platform that behaves like the Win32 calls:
// cut paths and over-long registry values are refused, an empty program path cannot be launched.
#include "installer/launcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using lumbrak::LauncherPlatform;

struct Launched {
    std::string file;
    std::string parameters;
    bool operator==(const Launched&) const = default;
};

struct Message {
    std::string text;
    std::string caption;
    bool operator==(const Message&) const = default;
};

class FakePlatform final : public LauncherPlatform {
public:
    // What the platform holds.
    std::optional<std::string> ownPath;
    std::vector<std::string> matches; // files matching the pattern, in enumeration order
    std::map<std::string, std::optional<std::string>> machineKeys; // none: unreadable value
    bool shellAccepts = true;

    // What the launcher asked of it.
    std::vector<std::string> patterns;
    std::vector<std::string> keysRead;
    std::vector<Launched> launches;
    std::vector<Message> messages;

    std::size_t OwnPath(char* buffer, std::size_t capacity) override {
        if (!ownPath || ownPath->size() >= capacity) {
            return 0;
        }
        return CopyOut(*ownPath, buffer);
    }

    std::size_t FirstMatch(const char* pattern, char* name, std::size_t capacity) override {
        patterns.emplace_back(pattern);
        if (matches.empty() || matches.front().size() >= capacity) {
            return 0;
        }
        return CopyOut(matches.front(), name);
    }

    bool ReadMachineDefault(const char* key, char* buffer, std::size_t capacity) override {
        keysRead.emplace_back(key);
        auto found = machineKeys.find(key);
        if (found == machineKeys.end() || !found->second || found->second->size() > capacity - 1) {
            return false;
        }
        CopyOut(*found->second, buffer);
        return true;
    }

    bool Launch(const char* file, const char* parameters) override {
        launches.push_back({file, parameters});
        return shellAccepts && file[0] != '\0';
    }

    void ShowMessage(const char* text, const char* caption) override {
        messages.push_back({text, caption});
    }

private:
    static std::size_t CopyOut(const std::string& text, char* buffer) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return text.size();
    }
};

const std::string Folder = "C:\\Program Files\\Pawnlet\\";
const std::string Library = Folder + "Lumbrak.dll";
const std::string Manager = "C:\\Program Files\\Microsoft ActiveSync\\CEAPPMGR.EXE";
const std::string Key = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// A folder "C:\ddd...d\" whose path is exactly `length` characters long.
std::string FolderOfLength(std::size_t length) {
    return "C:\\" + std::string(length - 4, 'd') + "\\";
}

const Message NoFile{"No file to install", "Lumbrak"};
const Message NoManager{"PocketPC Application Manager not found", "Lumbrak"};
const Message LaunchFailed{"Unable to Launch Application Manager for PocketPC Applications",
                           "Error"};

struct Case {
    std::string name;
    std::optional<std::string> ownPath = Library;
    std::vector<std::string> matches = {"Pawnlet.ini"};
    // The manager key: none when missing; holding none when its value is unreadable.
    std::optional<std::optional<std::string>> managerValue = std::optional<std::string>(Manager);
    bool shellAccepts = true;
    std::optional<Launched> launch = std::nullopt; // the request expected, if any
    std::optional<Message> message = std::nullopt; // the message expected, if any
};

std::vector<Case> Cases() {
    const std::string longFolder = FolderOfLength(lumbrak::MaxPath - 11);
    return {
        {.name = "launches_manager_on_quoted_ini",
         .launch = Launched{Manager, Quoted(Folder + "Pawnlet.ini")}},
        {.name = "own_path_unavailable", .ownPath = std::nullopt, .message = NoFile},
        {.name = "own_path_without_backslash", .ownPath = "Lumbrak.dll", .message = NoFile},
        {.name = "backslash_only_at_index_0", .ownPath = "\\Lumbrak.dll", .message = NoFile},
        {.name = "no_ini_beside_library", .matches = {}, .message = NoFile},
        {.name = "first_of_two_ini_files_used",
         .matches = {"zeta.ini", "alpha.ini"},
         .launch = Launched{Manager, Quoted(Folder + "zeta.ini")}},
        {.name = "registry_key_missing", .managerValue = std::nullopt, .message = NoManager},
        {.name = "registry_value_unreadable",
         .managerValue = std::optional<std::string>(),
         .message = NoManager},
        {.name = "registry_value_empty_launch_fails",
         .managerValue = std::optional<std::string>(""),
         .launch = Launched{"", Quoted(Folder + "Pawnlet.ini")},
         .message = LaunchFailed},
        {.name = "launch_refused",
         .shellAccepts = false,
         .launch = Launched{Manager, Quoted(Folder + "Pawnlet.ini")},
         .message = LaunchFailed},
        {.name = "ini_path_of_maximum_length",
         .ownPath = longFolder + "Lumbrak.dll",
         .launch = Launched{Manager, Quoted(longFolder + "Pawnlet.ini")}},
        {.name = "ini_path_over_maximum_length",
         .ownPath = longFolder + "Lumbrak.dll",
         .matches = {"Pawnlet2.ini"},
         .message = NoFile},
        {.name = "own_path_over_maximum_length",
         .ownPath = FolderOfLength(lumbrak::MaxPath) + "Lumbrak.dll",
         .message = NoFile},
        {.name = "manager_path_of_maximum_length",
         .managerValue = std::optional<std::string>(FolderOfLength(lumbrak::MaxPath - 5) + "x.exe"),
         .launch = Launched{FolderOfLength(lumbrak::MaxPath - 5) + "x.exe",
                            Quoted(Folder + "Pawnlet.ini")}},
        {.name = "manager_path_over_maximum_length",
         .managerValue = std::optional<std::string>(FolderOfLength(lumbrak::MaxPath - 4) + "x.exe"),
         .message = NoManager},
    };
}

// Failing rows are reported by name.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class RegisterServerTest : public testing::TestWithParam<Case> {};

TEST_P(RegisterServerTest, ShowsExpectedOutcomeAndReturnsZero) {
    const Case& c = GetParam();
    FakePlatform platform;
    platform.ownPath = c.ownPath;
    platform.matches = c.matches;
    if (c.managerValue) {
        platform.machineKeys[Key] = *c.managerValue;
    }
    platform.shellAccepts = c.shellAccepts;

    EXPECT_EQ(lumbrak::RegisterServer(platform), 0);

    std::vector<Launched> expectedLaunches;
    if (c.launch) {
        expectedLaunches.push_back(*c.launch);
    }
    EXPECT_EQ(platform.launches, expectedLaunches);
    std::vector<Message> expectedMessages;
    if (c.message) {
        expectedMessages.push_back(*c.message);
    }
    EXPECT_EQ(platform.messages, expectedMessages);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, RegisterServerTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// The checks above cannot see what was asked of the platform on the way.
TEST(RegisterServerRequests, SearchesOwnFolderForIniAndReadsManagerKey) {
    FakePlatform platform;
    platform.ownPath = Library;
    platform.matches = {"Pawnlet.ini"};
    platform.machineKeys[Key] = Manager;

    EXPECT_EQ(lumbrak::RegisterServer(platform), 0);
    EXPECT_EQ(platform.patterns, std::vector<std::string>{Folder + "*.ini"});
    EXPECT_EQ(platform.keysRead, std::vector<std::string>{Key});
}

TEST(RegisterServerRequests, StopsAtFirstFailure) {
    FakePlatform noFile;
    noFile.ownPath = Library;
    noFile.machineKeys[Key] = Manager;
    noFile.matches = {};
    EXPECT_EQ(lumbrak::RegisterServer(noFile), 0);
    EXPECT_TRUE(noFile.keysRead.empty());

    FakePlatform noPath;
    EXPECT_EQ(lumbrak::RegisterServer(noPath), 0);
    EXPECT_TRUE(noPath.patterns.empty());
}

// A folder near the path limit makes the search pattern itself longer than MaxPath; it is still
// built whole and left to the platform.
TEST(RegisterServerRequests, PatternOfLongFolderIsNotCut) {
    FakePlatform platform;
    const std::string folder = FolderOfLength(lumbrak::MaxPath - 1);
    platform.ownPath = folder + "L";
    platform.matches = {};
    EXPECT_EQ(lumbrak::RegisterServer(platform), 0);
    EXPECT_EQ(platform.patterns, std::vector<std::string>{folder + "*.ini"});
    EXPECT_EQ(platform.messages, std::vector<Message>{NoFile});
}

} // namespace
