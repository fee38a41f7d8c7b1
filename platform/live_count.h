// Live-instance counters of the model and view classes.
//
// A class that the exit statistics name holds a LiveCount<Self> member: it counts itself up
// when constructed (or copied) and down when destroyed, so the class needs no bookkeeping of its
// own. Each thread counts its own instances (the program's windows live on one thread; the
// command-line tool checks games on several, each counting the moves of its own games), so the
// counters are plain integers.
#pragma once

namespace pawnlet {

template <class Counted> class LiveCount {
public:
    LiveCount() noexcept { ++live; }
    LiveCount(const LiveCount&) noexcept { ++live; }
    LiveCount& operator=(const LiveCount&) noexcept { return *this; }
    ~LiveCount() { --live; }

    static int Live() noexcept { return live; }

private:
    static inline thread_local int live = 0;
};

} // namespace pawnlet
