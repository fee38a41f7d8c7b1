// Files, their failures, and the text conversions of the platform layer.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fault_injector.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/files.h"
#include "support/temp_dir.h"

using namespace pawnlet;

namespace {

using platform::File;
using platform::OpenMode;

struct Dir : testsupport::TempDir {
    Dir() : TempDir("pawnlet-platform") {}
    std::u16string Name(const char* name) const {
        return platform::FromUtf8((*this / name).string());
    }
};

std::string Bytes(const std::u16string& path) {
    return testsupport::ReadBytes(platform::ToUtf8(path));
}

TEST(File, OpenModes) {
    Dir dir;
    File file;
    EXPECT_FALSE(file.Open(dir.Name("missing"), OpenMode::Read));
    EXPECT_EQ(platform::LastError(), ENOENT);
    EXPECT_FALSE(file.Open(dir.Name("missing"), OpenMode::ReadWrite));
    ASSERT_TRUE(file.Open(dir.Name("made"), OpenMode::Create));
    ASSERT_TRUE(file.Write("abcdef", 6));
    ASSERT_TRUE(file.Close());
    // Create keeps an existing file's content; CreateNew refuses an existing file.
    ASSERT_TRUE(file.Open(dir.Name("made"), OpenMode::Create));
    EXPECT_EQ(file.Size(), 6u);
    EXPECT_FALSE(File().Open(dir.Name("made"), OpenMode::CreateNew));
    EXPECT_EQ(platform::LastError(), EEXIST);
    EXPECT_FALSE(File().Open(platform::FromUtf8(dir.Path().string()), OpenMode::Read))
        << "a directory is no file";
    EXPECT_EQ(platform::LastError(), EISDIR);
    // A pipe without a writer would make a plain open wait forever.
    ASSERT_EQ(mkfifo((dir.Path() / "pipe").c_str(), 0600), 0);
    for (OpenMode mode : {OpenMode::Read, OpenMode::ReadWrite, OpenMode::Create}) {
        EXPECT_FALSE(file.Open(dir.Name("pipe"), mode));
        EXPECT_EQ(platform::LastError(), platform::NotARegularFile);
    }
}

TEST(File, ReadWriteSeekTellSizeSetEnd) {
    Dir dir;
    File file;
    ASSERT_TRUE(file.Open(dir.Name("f"), OpenMode::Create));
    ASSERT_TRUE(file.Write("0123456789", 10));
    EXPECT_EQ(file.Tell(), 10u);
    ASSERT_TRUE(file.Seek(2));
    char buffer[16] = {};
    std::size_t got = 0;
    ASSERT_TRUE(file.Read(buffer, 3, got));
    EXPECT_EQ(std::string(buffer, got), "234");
    ASSERT_TRUE(file.SeekBy(-2));
    ASSERT_TRUE(file.Read(buffer, 16, got));
    EXPECT_EQ(std::string(buffer, got), "3456789") << "a short read is the end of the file";
    ASSERT_TRUE(file.Read(buffer, 16, got));
    EXPECT_EQ(got, 0u);
    ASSERT_TRUE(file.Seek(4));
    ASSERT_TRUE(file.SetEnd());
    EXPECT_EQ(file.Size(), 4u);
    ASSERT_TRUE(file.Flush());
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(Bytes(dir.Name("f")), "0123");
}

TEST(File, CopyRenameDeleteExists) {
    Dir dir;
    {
        File file;
        ASSERT_TRUE(file.Open(dir.Name("a"), OpenMode::Create));
        std::string big(200000, 'x');
        ASSERT_TRUE(file.Write(big.data(), big.size()));
        ASSERT_TRUE(file.Close());
    }
    {
        File file;
        ASSERT_TRUE(file.Open(dir.Name("b"), OpenMode::Create));
        ASSERT_TRUE(file.Write("longer old content of b that must go", 36));
        ASSERT_TRUE(file.Close());
    }
    ASSERT_TRUE(platform::CopyFile(dir.Name("a"), dir.Name("b")));
    EXPECT_EQ(Bytes(dir.Name("b")), std::string(200000, 'x'));
    EXPECT_FALSE(platform::CopyFile(dir.Name("missing"), dir.Name("b")));
    EXPECT_EQ(Bytes(dir.Name("b")).size(), 200000u) << "a missing source destroys nothing";
    ASSERT_TRUE(platform::RenameFile(dir.Name("b"), dir.Name("c")));
    EXPECT_FALSE(platform::FileExists(dir.Name("b")));
    EXPECT_TRUE(platform::FileExists(dir.Name("c")));
    ASSERT_TRUE(platform::DeleteFile(dir.Name("c")));
    EXPECT_FALSE(platform::DeleteFile(dir.Name("c")));
    EXPECT_EQ(platform::LastError(), ENOENT);
    auto stamp = platform::StampOf(dir.Name("a"));
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->size, 200000u);
}

class FailNth final : public platform::FaultInjector {
public:
    int Check(platform::FileOp op, std::size_t& bytes) override {
        seen.push_back(op);
        if (static_cast<int>(seen.size()) == failAt) {
            if (op == platform::FileOp::Write && limit) {
                bytes = *limit;
                return kill ? platform::KillHere : ENOSPC;
            }
            return kill ? platform::KillHere : EIO;
        }
        return 0;
    }
    std::vector<platform::FileOp> seen;
    int failAt = 0;
    std::optional<std::size_t> limit;
    bool kill = false;
};

TEST(FaultInjector, EveryOperationAsksAndFailsAsTold) {
    Dir dir;
    FailNth injector;
    platform::SetFaultInjector(&injector);
    File file;
    ASSERT_TRUE(file.Open(dir.Name("f"), OpenMode::Create));
    ASSERT_TRUE(file.Write("abc", 3));
    ASSERT_TRUE(file.Seek(0));
    ASSERT_TRUE(file.Flush());
    ASSERT_TRUE(file.SetEnd());
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(file.Open(dir.Name("f"), OpenMode::ReadWrite));
    ASSERT_TRUE(file.Lock(platform::LockKind::Exclusive, 0));
    ASSERT_TRUE(file.SetMode(0600));
    ASSERT_TRUE(file.Reserve(4096));
    ASSERT_TRUE(file.Status().has_value());
    ASSERT_TRUE(file.Close());
    using Op = platform::FileOp;
    EXPECT_EQ(injector.seen,
              (std::vector<Op>{Op::Open, Op::Write, Op::Seek, Op::Flush, Op::SetEnd, Op::Close,
                               Op::Open, Op::Lock, Op::SetMode, Op::Reserve, Op::Size, Op::Close}));

    injector.seen.clear();
    injector.failAt = 2;
    injector.limit = 2;
    ASSERT_TRUE(file.Open(dir.Name("g"), OpenMode::Create));
    EXPECT_FALSE(file.Write("abcdef", 6));
    EXPECT_EQ(platform::LastError(), ENOSPC);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(Bytes(dir.Name("g")), "ab") << "a full disk stores part of the write";

    injector.seen.clear();
    injector.failAt = 1;
    EXPECT_FALSE(platform::RenameFile(dir.Name("g"), dir.Name("h")));
    EXPECT_EQ(platform::LastError(), EIO);
    EXPECT_TRUE(platform::FileExists(dir.Name("g")));
    platform::SetFaultInjector(nullptr);
}

// KillHere ends the process at the operation, as a kill at that instant would: a write first
// stores the bytes the injector lets through.
TEST(FaultInjector, KillHereEndsTheProcessPartWayThroughAWrite) {
    Dir dir;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        FailNth injector;
        injector.failAt = 2;
        injector.limit = 2;
        injector.kill = true;
        platform::SetFaultInjector(&injector);
        File file;
        if (file.Open(dir.Name("f"), OpenMode::Create)) {
            (void)file.Write("abcdef", 6);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(Bytes(dir.Name("f")), "ab");
}

TEST(Text, Windows1252BothWays) {
    EXPECT_EQ(platform::AnsiToWide("\xBD-\xBD"), u"\u00BD-\u00BD");
    EXPECT_EQ(platform::WideToAnsi(u"\u00BD"), "\xBD");
    EXPECT_EQ(platform::AnsiToWide("\x80\x8A\x9F"), u"\u20AC\u0160\u0178");
    EXPECT_EQ(platform::WideToAnsi(u"\u20AC\u0160\u0178"), "\x80\x8A\x9F");
    EXPECT_EQ(platform::WideToAnsi(u"\u4E2D"), "?") << "no such character in the code page";
    // Every byte reads to a character that writes back to the same byte.
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        EXPECT_EQ(platform::WideToAnsiChar(platform::AnsiToWideChar(static_cast<unsigned char>(b))),
                  byte)
            << b;
    }
}

TEST(Text, Utf8BothWays) {
    std::u16string text = u"K\u00F6nig \u20AC \U0001F600";
    EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(text)), text);
    EXPECT_EQ(platform::ToUtf8(u"\u00BD"), "\xC2\xBD");
    EXPECT_EQ(platform::FromUtf8("a\xC3"), u"a\uFFFD") << "a cut sequence";
    EXPECT_EQ(platform::FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "an overlong form";
    EXPECT_EQ(platform::ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Text, SystemErrorText) {
    EXPECT_NE(platform::SystemErrorText(ENOENT).find(u"No such file"), std::u16string::npos);
    EXPECT_EQ(platform::SystemErrorText(0x12345678), u"Err : 0x12345678");
}

} // namespace
