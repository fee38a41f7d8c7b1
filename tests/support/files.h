// Whole files for the tests: a file of the test data, and a file's bytes read or written at once.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace testsupport {

#ifdef PAWNLET_TEST_DATA_DIR
// A PGN file of tests/data/pgn (the test programs know where it is; the fuzz targets do not).
inline std::string DataFile(const std::string& name) {
    return std::string(PAWNLET_TEST_DATA_DIR) + "/pgn/" + name;
}
#endif

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file with `bytes`. A file that cannot be written stops the program: the test
// would otherwise go on with the wrong bytes and fail far from the cause.
inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

} // namespace testsupport
