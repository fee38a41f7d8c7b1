// A fresh folder under the system's temporary folder for one test (or one test program), removed
// with everything in it when the object dies. A folder that cannot be made stops the program: no
// test can go on without it, and a test writing beside the working directory would be worse.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <stdlib.h>

namespace testsupport {

class TempDir {
public:
    // `prefix` names the folder ("pawnlet-pgn-Ab12Cd"), so that a leftover one says whose it is.
    explicit TempDir(std::string_view prefix = "pawnlet") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path operator/(std::string_view name) const { return path / name; }

private:
    std::filesystem::path path;
};

} // namespace testsupport
