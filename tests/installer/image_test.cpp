// What the built libraries show to the loader, read with the cross toolchain's objdump: one
// undecorated export, and imports from the system's own DLLs only, so that the library loads on a
// machine with no C++ runtime installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Image {
    std::string name;
    std::string path;
    std::string objdump;
    std::string format;
};

std::vector<Image> Images() {
    return {
        {"x86", LUMBRAK_X86_DLL, LUMBRAK_X86_OBJDUMP, "pei-i386"},
        {"x64", LUMBRAK_X64_DLL, LUMBRAK_X64_OBJDUMP, "pei-x86-64"},
    };
}

// Runs `objdump -p` on the image; empty when it could not run.
std::string PrivateHeaders(const Image& image) {
    std::string command = "'" + image.objdump + "' -p '" + image.path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return {};
    }
    std::string out;
    std::array<char, 4096> chunk;
    std::size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0) {
        out.append(chunk.data(), n);
    }
    return out;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Headers {
    std::string format;
    bool isDll = false;
    std::string exportName;                // the library name in the export directory
    std::vector<std::string> exports;      // exported names in table order
    std::set<std::string> importDlls;      // lower case
    std::set<std::string> importFunctions; // exact names
};

Headers Parse(const std::string& text) {
    Headers headers;
    std::istringstream lines(text);
    std::string line;
    bool inExportNames = false;
    bool inImports = false;
    const std::regex formatLine(R"(file format (\S+))");
    const std::regex exportNameLine(R"(^Name\s+[0-9a-fA-F]+\s+(\S+))");
    const std::regex exportEntry(R"(^\s*\[\s*\d+\]\s+(\S+))");
    const std::regex dllLine(R"(^\s*DLL Name:\s*(\S+))");
    const std::regex importEntry(R"(^\s*[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$)");
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, formatLine)) {
            headers.format = m[1];
        } else if (line == "\tDLL") {
            headers.isDll = true;
        } else if (std::regex_search(line, m, exportNameLine)) {
            headers.exportName = m[1];
        } else if (line.starts_with("[Ordinal/Name Pointer] Table")) {
            inExportNames = true;
        } else if (inExportNames) {
            if (std::regex_search(line, m, exportEntry)) {
                headers.exports.push_back(m[1]);
            } else {
                inExportNames = false;
            }
        } else if (std::regex_search(line, m, dllLine)) {
            headers.importDlls.insert(Lower(m[1]));
            inImports = true;
        } else if (inImports && std::regex_match(line, m, importEntry)) {
            headers.importFunctions.insert(m[1]);
        } else if (line.empty() && inImports) {
            inImports = false;
        }
    }
    return headers;
}

class LibraryImageTest : public testing::TestWithParam<Image> {
protected:
    void SetUp() override {
        text_ = PrivateHeaders(GetParam());
        ASSERT_NE(text_.find("file format"), std::string::npos)
            << "objdump could not read " << GetParam().path << ":\n"
            << text_;
        headers_ = Parse(text_);
    }
    std::string text_;
    Headers headers_;
};

TEST_P(LibraryImageTest, IsDllOfExpectedArchitecture) {
    EXPECT_EQ(headers_.format, GetParam().format);
    EXPECT_TRUE(headers_.isDll);
}

TEST_P(LibraryImageTest, ExportsOnlyUndecoratedRegistrationEntryPoint) {
    EXPECT_EQ(headers_.exportName, "Lumbrak.dll");
    EXPECT_EQ(headers_.exports, std::vector<std::string>{"DllRegisterServer"}) << text_;
}

TEST_P(LibraryImageTest, ImportsOnlySystemDlls) {
    const std::set<std::string> system = {"kernel32.dll", "advapi32.dll", "shell32.dll",
                                          "user32.dll", "msvcrt.dll"};
    EXPECT_FALSE(headers_.importDlls.empty());
    for (const std::string& dll : headers_.importDlls) {
        EXPECT_TRUE(system.contains(dll)) << "imports " << dll;
    }
}

TEST_P(LibraryImageTest, UsesEightBitVariantsOfPlatformCalls) {
    for (const char* function :
         {"GetModuleFileNameA", "FindFirstFileA", "FindClose", "RegOpenKeyExA", "RegQueryValueExA",
          "RegCloseKey", "ShellExecuteExA", "MessageBoxA"}) {
        EXPECT_TRUE(headers_.importFunctions.contains(function)) << "does not import " << function;
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, LibraryImageTest, testing::ValuesIn(Images()),
                         [](const testing::TestParamInfo<Image>& info) { return info.param.name; });

} // namespace
