// Live-instance counters of the model and view classes.
//
// A class that the exit statistics name holds a LiveCount<Self> member: it counts itself up
// when constructed (or copied) and down when destroyed, so the class needs no bookkeeping of its
// own. The program is single-threaded by design; the counters are plain integers.
#pragma once

template <class Counted> class LiveCount {
public:
    LiveCount() noexcept { ++live; }
    LiveCount(const LiveCount&) noexcept { ++live; }
    LiveCount& operator=(const LiveCount&) noexcept { return *this; }
    ~LiveCount() { --live; }

    static int Live() noexcept { return live; }

private:
    static inline int live = 0;
};
