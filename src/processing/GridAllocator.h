#pragma once
// The allocator of the large grids (raw scans and processed surfaces). Cells are left uninitialised on
// resize, since every producer writes them all, and grids of several megabytes are placed on huge
// pages where the system offers them: a 4096 x 4096 surface then costs a few dozen page faults instead
// of tens of thousands.
#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace doc {

template <typename T> class TGridAllocator {
    static_assert(std::is_trivially_default_constructible_v<T>, "grids hold plain numbers");

public:
    using value_type = T;

    TGridAllocator() noexcept = default;
    template <typename U> TGridAllocator(const TGridAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        void* p = nullptr;
        if (bytes >= kHugeFrom) {
            const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
            p = std::aligned_alloc(kHuge, rounded);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
            if (p)
                ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
        } else {
            p = std::malloc(bytes ? bytes : 1);
        }
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept {
        std::free(p);
    }

    // resize() default-initialises: no zero fill of cells that are written next anyway.
    template <typename U> void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

private:
    static constexpr std::size_t kHuge = std::size_t(2) << 20;
    static constexpr std::size_t kHugeFrom = std::size_t(4) << 20;
};

template <typename T, typename U> bool operator==(const TGridAllocator<T>&, const TGridAllocator<U>&) {
    return true;
}
template <typename T, typename U> bool operator!=(const TGridAllocator<T>&, const TGridAllocator<U>&) {
    return false;
}

// A grid of cells, row-major.
template <typename T> using TGrid = std::vector<T, TGridAllocator<T>>;

} // namespace doc
