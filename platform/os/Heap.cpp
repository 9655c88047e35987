#include "platform/os/Heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELK_HEAP_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELK_HEAP_SANITIZED 1
#endif

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::uintptr_t kHugePage = 2 * kMiB;

} // namespace

void PrepareHeapForLargePictures()
{
#if defined(VELK_HEAP_SANITIZED)
    // The sanitizer's allocator is not glibc's: nothing to set.
#elif defined(__GLIBC__)
    // A picture decoded, converted and freed would otherwise be a mapping of
    // its own, made and unmade each time, and every page of it faulted in
    // anew: at start-up that was a third of the program's time.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(32 * kMiB));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(128 * kMiB));
    // The heap grows in one step large enough for start-up's pictures, and
    // that stretch is faulted in 2 MiB at a time rather than 4 KiB.
    mallopt(M_TOP_PAD, static_cast<int>(64 * kMiB));
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Volatile: a block freed unused would be optimised away with its growth.
    void* volatile grow = std::malloc(kMiB);
    std::free(grow);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > from)
        madvise(reinterpret_cast<void*>(from), after - from, MADV_HUGEPAGE);
    // Later growth goes back to small steps.
    mallopt(M_TOP_PAD, static_cast<int>(kMiB));
    // The threads share that heap. A thread's own arena grows a page at a time,
    // a system call each: the SoundFont read beside the splash made over a
    // thousand of them, and the threads seldom allocate at the same moment.
    mallopt(M_ARENA_MAX, 1);
#endif
}
