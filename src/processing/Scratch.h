#pragma once
// Work memory that outlives one run of a stage. A stage that needs buffers takes them from the
// scratch of the document it works for: on the next run the same pages are there already, so a
// rerun neither asks the system for memory nor waits for it to zero fresh pages.
#include <cstddef>

namespace doc {

class CScratch {
public:
    // The buffers a stage may hold at once.
    static constexpr int kSlots = 4;

    CScratch() = default;
    ~CScratch();
    CScratch(const CScratch&) = delete;
    CScratch& operator=(const CScratch&) = delete;

    // A buffer of at least bytes bytes, aligned to 64 bytes, for slot (0 ... kSlots - 1); it holds
    // whatever its last user left in it. A buffer far larger than the request (more than four times)
    // is given back and taken anew at the smaller size. Null when memory runs out or the slot does
    // not exist.
    void* Take(int slot, std::size_t bytes);
    template <typename T> T* Take(int slot, std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            return nullptr;
        return static_cast<T*>(Take(slot, count * sizeof(T)));
    }

    // Gives every buffer back.
    void Release();
    // The bytes held.
    std::size_t Bytes() const;

private:
    struct CBuffer {
        void* data = nullptr;
        std::size_t bytes = 0;
    };
    CBuffer m_buffers[kSlots];
};

} // namespace doc
