// Recycled storage for the nodes of game trees (Position and Coup).
//
// A game of N plies holds N positions and N moves, all built and destroyed together; loading
// many games in a row builds and destroys millions. Freed blocks go on a free list and are handed
// out again, so the steady state does no general-purpose allocation. Blocks are taken from the
// system in chunks and kept for the life of the program. Each thread has its own free list (the
// command-line tool checks games on several); a block freed on another thread than the one that
// took it joins that thread's list. Sanitizer builds use the ordinary allocator, so that use
// after free is still caught.
#pragma once

#include <cstddef>
#include <new>

namespace pawnlet {

#if defined(__SANITIZE_ADDRESS__)
#define PAWNLET_NODE_POOL_BYPASSED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PAWNLET_NODE_POOL_BYPASSED 1
#endif
#endif

template <std::size_t BlockSize> class NodePool {
public:
    static void* Allocate() noexcept {
#if defined(PAWNLET_NODE_POOL_BYPASSED)
        return ::operator new(BlockSize, std::nothrow);
#else
        if (freeList == nullptr && !Grow()) {
            return nullptr;
        }
        FreeBlock* block = freeList;
        freeList = block->next;
        return block;
#endif
    }

    static void Release(void* pointer) noexcept {
        if (pointer == nullptr) {
            return;
        }
#if defined(PAWNLET_NODE_POOL_BYPASSED)
        ::operator delete(pointer);
#else
        auto* block = static_cast<FreeBlock*>(pointer);
        block->next = freeList;
        freeList = block;
#endif
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    static constexpr std::size_t blockBytes = (BlockSize + alignof(std::max_align_t) - 1) /
                                              alignof(std::max_align_t) * alignof(std::max_align_t);
    static constexpr std::size_t blocksPerChunk = 1024;

    // Threads a new chunk's blocks onto the free list; the chunk is never returned.
    static bool Grow() noexcept {
        auto* chunk =
            static_cast<unsigned char*>(::operator new(blockBytes* blocksPerChunk, std::nothrow));
        if (chunk == nullptr) {
            return false;
        }
        for (std::size_t i = blocksPerChunk; i-- > 0;) {
            auto* block = reinterpret_cast<FreeBlock*>(chunk + i * blockBytes);
            block->next = freeList;
            freeList = block;
        }
        return true;
    }

    static inline thread_local FreeBlock* freeList = nullptr;
};

} // namespace pawnlet
