// Lumbrak end to end under Wine: a fresh 64-bit prefix in a temporary folder, the recorder
// registered as the application manager, the x86-64 library and an installation file in a folder
// whose name has a blank, and `regsvr32 /s` calling the registration entry point, as a desktop
// installer does.
//
// The prefix is created once for the whole run (it takes a few seconds), so this program runs as
// one ctest test. There is no display: message boxes fail at once, and Wine's relay trace of
// MessageBoxA shows which message the library asked for.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <vector>

#include "support/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string AppManagerKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Wine maps the whole Unix tree on drive Z:.
std::string WindowsPath(const fs::path& path) {
    std::string text = "Z:" + path.string();
    for (char& c : text) {
        if (c == '/') {
            c = '\\';
        }
    }
    return text;
}

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output and error together
};

// The one prefix of the run and the commands that use it.
class WinePrefix {
public:
    fs::path root;     // temporary folder holding everything (folder's, links resolved)
    fs::path recorder; // the recorder's copy inside the root
    std::string failure;

    // Leaves `failure` empty when the prefix is ready.
    void Create() {
        if (std::string(LUMBRAK_WINE).empty() || !fs::exists(LUMBRAK_WINE)) {
            failure = "no 64-bit wine found (looked for wine64, then wine); run "
                      "scripts/install-deps.sh and configure again";
            return;
        }
        folder.emplace("lumbrak-wine");
        // Wine sees the physical path: resolve links now so that expected paths match.
        root = fs::canonical(folder->Path());

        // Everything Wine writes stays in the temporary folder; no window, no Mono or Gecko
        // prompts, no desktop menu entries.
        setenv("WINEPREFIX", (root / "prefix").c_str(), 1);
        setenv("WINEARCH", "win64", 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
        setenv("HOME", root.c_str(), 1);
        setenv("DISPLAY", "", 1);
        unsetenv("WAYLAND_DISPLAY");

        CommandResult boot = Wine("wineboot -i", root);
        if (boot.exitCode != 0) {
            failure = "wineboot failed:\n" + boot.output;
            return;
        }
        // Wine stops the prefix's services when its last program ends and starts them again with
        // the next one. A command interpreter waiting on a pipe keeps them up between commands;
        // closing the pipe ends it.
        std::string keeper = "cd " + ShellQuote(root.string()) + " && WINEDEBUG=-all " +
                             ShellQuote(LUMBRAK_WINE) + " cmd >/dev/null 2>&1";
        keepAlive_ = popen(keeper.c_str(), "w");
        // Trace only the calls the test looks at.
        CommandResult relay = Wine("reg add 'HKCU\\Software\\Wine\\Debug' /v RelayInclude /d "
                                   "'user32.MessageBoxA;shell32.ShellExecuteExA' /f",
                                   root);
        if (relay.exitCode != 0) {
            failure = "cannot configure the relay trace:\n" + relay.output;
            return;
        }
        recorder = root / "manager" / "recorder.exe";
        std::error_code error;
        fs::create_directories(recorder.parent_path(), error);
        fs::copy_file(LUMBRAK_RECORDER, recorder, error);
        if (error) {
            failure = "cannot copy the recorder: " + error.message();
            return;
        }
    }

    void Destroy() {
        if (root.empty()) {
            return;
        }
        // Stops this prefix's server and whatever still runs in it, nothing else.
        if (!std::string(LUMBRAK_WINESERVER).empty()) {
            Shell(ShellQuote(LUMBRAK_WINESERVER) + " -k", root);
        }
        if (keepAlive_ != nullptr) {
            pclose(keepAlive_);
            keepAlive_ = nullptr;
        }
        // Only now that nothing runs in it any more.
        folder.reset();
    }

    CommandResult Wine(const std::string& arguments, const fs::path& folder,
                       const std::string& debug = "-all") {
        return Shell("WINEDEBUG=" + debug + " " + ShellQuote(LUMBRAK_WINE) + " " + arguments,
                     folder);
    }

    CommandResult Shell(const std::string& command, const fs::path& folder) {
        fs::path log = root / "command.log";
        std::string line = "cd " + ShellQuote(folder.string()) + " && " + command + " >" +
                           ShellQuote(log.string()) + " 2>&1";
        CommandResult run;
        int status = std::system(line.c_str());
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.output = testsupport::ReadBytes(log);
        return run;
    }

private:
    std::optional<testsupport::TempDir> folder;
    FILE* keepAlive_ = nullptr;
};

WinePrefix* Prefix = nullptr;

class WineEnvironment : public testing::Environment {
public:
    void SetUp() override {
        Prefix = &prefix_;
        prefix_.Create();
    }
    void TearDown() override { prefix_.Destroy(); }

private:
    WinePrefix prefix_;
};

testing::Environment* const Registered = testing::AddGlobalTestEnvironment(new WineEnvironment);

struct MessageCall {
    std::string owner;
    std::string text;
    std::string caption;
    std::string type;
};

std::vector<MessageCall> MessageBoxCalls(const std::string& trace) {
    const std::regex call(
        R"re(Call user32\.MessageBoxA\(([0-9a-fA-F]+),[0-9a-fA-F]+ "([^"]*)",[0-9a-fA-F]+ "([^"]*)",([0-9a-fA-F]+)\))re");
    std::vector<MessageCall> calls;
    for (auto it = std::sregex_iterator(trace.begin(), trace.end(), call);
         it != std::sregex_iterator(); ++it) {
        calls.push_back({(*it)[1], (*it)[2], (*it)[3], (*it)[4]});
    }
    return calls;
}

class LumbrakUnderWine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Prefix, nullptr);
        ASSERT_TRUE(Prefix->failure.empty()) << Prefix->failure;
        ASSERT_FALSE(Prefix->root.empty()) << "the Wine prefix was not created";
        folder_ = Prefix->root /
                  ("install dir " +
                   std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(folder_);
        fs::copy_file(LUMBRAK_X64_DLL, folder_ / "Lumbrak.dll");
        fs::remove(RecordPath());
    }

    fs::path RecordPath() const { return Prefix->recorder.parent_path() / "recorder.txt"; }

    void SetManager(const std::string& value) {
        CommandResult run = Prefix->Wine("reg add " + ShellQuote(AppManagerKey) + " /ve /d " +
                                             ShellQuote(value) + " /f",
                                         Prefix->root);
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }

    void RemoveManager() {
        // Fails harmlessly when the key is not there.
        Prefix->Wine("reg delete " + ShellQuote(AppManagerKey) + " /f", Prefix->root);
    }

    void AddIni(const std::string& name) { std::ofstream(folder_ / name) << "[CEAppManager]\n"; }

    // Registers the library as an installer does; returns the relay trace of the run.
    std::string Register() {
        CommandResult run = Prefix->Wine("regsvr32 /s Lumbrak.dll", folder_, "-all,trace+relay");
        EXPECT_EQ(run.exitCode, 0) << "regsvr32 reports a failure:\n" << run.output;
        return run.output;
    }

    // The launched recorder runs on its own; give it time to write.
    std::string AwaitRecord() {
        for (int i = 0; i < 300 && !fs::exists(RecordPath()); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return fs::exists(RecordPath()) ? testsupport::ReadBytes(RecordPath())
                                        : std::string("<nothing>");
    }

    void ExpectOnlyMessage(const std::string& trace, const std::string& text,
                           const std::string& caption) {
        std::vector<MessageCall> calls = MessageBoxCalls(trace);
        ASSERT_EQ(calls.size(), 1u) << trace;
        EXPECT_EQ(calls[0].text, text);
        EXPECT_EQ(calls[0].caption, caption);
        EXPECT_EQ(std::stoul(calls[0].owner, nullptr, 16), 0u) << "message box has an owner";
        EXPECT_EQ(std::stoul(calls[0].type, nullptr, 16), 0u) << "not a plain OK box";
        EXPECT_FALSE(fs::exists(RecordPath()));
    }

    fs::path folder_;
};

TEST_F(LumbrakUnderWine, ManagerReceivesQuotedIniPath) {
    SetManager(WindowsPath(Prefix->recorder));
    AddIni("pawnlet.ini");
    std::string trace = Register();
    EXPECT_EQ(AwaitRecord(), "\"" + WindowsPath(folder_ / "pawnlet.ini") + "\"");
    EXPECT_TRUE(MessageBoxCalls(trace).empty()) << trace;
}

TEST_F(LumbrakUnderWine, NoIniShowsNoFileToInstall) {
    SetManager(WindowsPath(Prefix->recorder));
    ExpectOnlyMessage(Register(), "No file to install", "Lumbrak");
}

TEST_F(LumbrakUnderWine, MissingKeyShowsManagerNotFound) {
    RemoveManager();
    AddIni("pawnlet.ini");
    ExpectOnlyMessage(Register(), "PocketPC Application Manager not found", "Lumbrak");
}

TEST_F(LumbrakUnderWine, EmptyValueShowsUnableToLaunch) {
    SetManager("");
    AddIni("pawnlet.ini");
    ExpectOnlyMessage(Register(), "Unable to Launch Application Manager for PocketPC Applications",
                      "Error");
}

TEST_F(LumbrakUnderWine, MissingManagerProgramShowsUnableToLaunch) {
    SetManager(WindowsPath(Prefix->root / "manager" / "absent.exe"));
    AddIni("pawnlet.ini");
    ExpectOnlyMessage(Register(), "Unable to Launch Application Manager for PocketPC Applications",
                      "Error");
}

} // namespace
