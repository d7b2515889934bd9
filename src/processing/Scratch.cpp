#include "processing/Scratch.h"

#include <cstdlib>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace doc {

namespace {

constexpr std::size_t kAlign = 64;

void* Allocate(std::size_t bytes) {
#ifdef _WIN32
    return _aligned_malloc(bytes, kAlign);
#else
    return std::aligned_alloc(kAlign, bytes);
#endif
}

void Deallocate(void* p) {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}

} // namespace

CScratch::~CScratch() {
    Release();
}

void* CScratch::Take(int slot, std::size_t bytes) {
    if (slot < 0 || slot >= kSlots || bytes > static_cast<std::size_t>(-1) - kAlign)
        return nullptr;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = bytes == 0 ? kAlign : (bytes + kAlign - 1) / kAlign * kAlign;
    CBuffer& buffer = m_buffers[slot];
    if (buffer.data && buffer.bytes >= rounded && buffer.bytes / 4 <= rounded)
        return buffer.data;
    Deallocate(buffer.data);
    buffer = CBuffer{};
    if (void* p = Allocate(rounded)) {
        buffer.data = p;
        buffer.bytes = rounded;
    }
    return buffer.data;
}

void CScratch::Release() {
    for (CBuffer& buffer : m_buffers) {
        Deallocate(buffer.data);
        buffer = CBuffer{};
    }
}

std::size_t CScratch::Bytes() const {
    std::size_t total = 0;
    for (const CBuffer& buffer : m_buffers)
        total += buffer.bytes;
    return total;
}

} // namespace doc
