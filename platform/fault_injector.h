// A hook consulted before every file operation, so that tests can make any one of them fail.
//
// When an injector is installed, each operation of file.h first calls Check(). A non-zero result
// is the error code the operation then fails with, exactly as if the system had reported it.
// For Read and Write, `bytes` is the amount asked for; lowering it makes a write store only that
// many bytes before failing with the returned code (a full disk), or a read deliver fewer bytes.
#pragma once

#include <cstddef>

namespace platform {

enum class FileOp {
    Open,
    Close,
    Read,
    Write,
    Seek,
    Tell,
    Size,
    SetEnd,
    Flush,
    Copy,
    Delete,
    Rename
};

class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    virtual int Check(FileOp op, std::size_t& bytes) = 0;
};

// Installs `injector` (null removes it) and returns the previous one. Not owned.
FaultInjector* SetFaultInjector(FaultInjector* injector);
FaultInjector* CurrentFaultInjector();

} // namespace platform
