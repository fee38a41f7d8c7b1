// Tests about file permissions, which do not bind the superuser. When the suite runs as root (as
// CI does), such a test runs itself again as the unprivileged user "nobody" through setpriv, and
// that run's result is the test's result:
//
//     TEST(Save, AReadOnlyFileIsNotReplaced) {
//         PAWNLET_RUN_AS_UNPRIVILEGED_USER();
//         ... the checks, made as an ordinary user ...
//     }
#pragma once

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testuser {

enum class Rerun { NotNeeded, Passed, Failed, Impossible };

struct RerunResult {
    Rerun outcome;
    std::string detail;
};

// Runs the current test again in a child process as "nobody" when this process is root.
inline RerunResult RerunAsUnprivilegedUser() {
    if (geteuid() != 0) {
        return {Rerun::NotNeeded, {}};
    }
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) {
        return {Rerun::Impossible, "there is no user \"nobody\""};
    }
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return {Rerun::Impossible, "the test program cannot find itself"};
    }
    self[length] = '\0';
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::vector<std::string> args = {
        "setpriv",
        "--reuid=" + std::to_string(nobody->pw_uid),
        "--regid=" + std::to_string(nobody->pw_gid),
        "--clear-groups",
        "--",
        self,
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name(),
        // Not again in the child: it would run every repetition as a new test.
        "--gtest_repeat=1",
    };
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        // The child writes its scratch files where nobody may: the usual temporary folder, and a
        // home of its own for anything a save keeps beside the user's files.
        setenv("HOME", "/tmp", 1);
        unsetenv("XDG_STATE_HOME");
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return {Rerun::Impossible, "could not start setpriv"};
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return {Rerun::Passed, {}};
    }
    // setpriv's own failures: it is missing, or the program may not be run by that user (a
    // checkout in a folder that only root may enter).
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127)) {
        return {Rerun::Impossible, "setpriv could not run " + std::string(self) + " as nobody"};
    }
    return {Rerun::Failed, WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                             : "signal " + std::to_string(WTERMSIG(status))};
}

} // namespace testuser

// In a test's body: returns from it as root, with the result of the unprivileged run; goes on as
// any other user.
#define PAWNLET_RUN_AS_UNPRIVILEGED_USER()                                                         \
    do {                                                                                           \
        const ::testuser::RerunResult rerun = ::testuser::RerunAsUnprivilegedUser();               \
        if (rerun.outcome == ::testuser::Rerun::Impossible) {                                      \
            GTEST_SKIP() << "running as root, and " << rerun.detail;                               \
        }                                                                                          \
        if (rerun.outcome == ::testuser::Rerun::Failed) {                                          \
            FAIL() << "the run as the user nobody failed (" << rerun.detail << ")";                \
        }                                                                                          \
        if (rerun.outcome == ::testuser::Rerun::Passed) {                                          \
            return;                                                                                \
        }                                                                                          \
    } while (false)
