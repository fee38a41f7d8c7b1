// A hook consulted before every file operation, so that tests can make any one of them fail, or
// end the process at that very instant.
//
// When an injector is installed, each operation of file.h and new_file.h first calls Check(). A
// non-zero result is the error code the operation then fails with, exactly as if the system had
// reported it. For Read and Write, `bytes` is the amount asked for; lowering it makes a write
// store only that many bytes before failing with the returned code (a full disk), or a read
// deliver fewer bytes.
//
// KillHere instead ends the process with SIGKILL before the operation is carried out (a write
// first stores `bytes` bytes), as if it had been killed at that instant: crash tests run the save
// in a child process and look at what the disk holds afterwards.
#pragma once

#include <cstddef>

namespace pawnlet::platform {

enum class FileOp {
    Open,
    Close,
    Read,
    Write,
    Seek,
    Tell,
    Size, // the size, stamp or status of an open file or of a path
    SetEnd,
    Flush,
    Copy,
    Delete,
    Rename,
    Lock,
    SetOwner,
    SetMode,
    Reserve,         // room on the disk set aside for what a save will write
    CreateTemporary, // a file that has no final name yet
    Link,            // a temporary file given a name
    FlushFolder,     // a folder's entries written through to the disk
    ResolveLink,     // a symbolic link followed to the file it names
    CreateFolder,
};

// Returned by Check(): the process is killed at this operation.
inline constexpr int KillHere = -1;

class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    virtual int Check(FileOp op, std::size_t& bytes) = 0;
};

// Installs `injector` (null removes it) and returns the previous one. Not owned.
FaultInjector* SetFaultInjector(FaultInjector* injector);

// Asks the installed injector about `op` (for file.cpp and its siblings): 0 to go on, else the
// error code to fail with, which LastError() then reports. KillHere never returns, except for a
// Write, which stores `bytes` bytes before calling Die().
int Injected(FileOp op, std::size_t& bytes);
int Injected(FileOp op);
[[noreturn]] void Die();

} // namespace pawnlet::platform
