// The one rule for system calls that a signal may interrupt.
#pragma once

#include <cerrno>

namespace pawnlet::platform {

// Repeats a system call that a signal interrupted before it did anything: `call` returns a
// negative value with errno EINTR for that, and the call's own result otherwise.
template <typename Call> auto RetryInterrupted(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace pawnlet::platform
