#pragma once
// An image of the primitives' allocator, freed with its owner.
#include <cstdint>

#include "processing/kernels/Kernels.h"

namespace doc::kern {

template <typename T> class TImage {
public:
    TImage(int width, int height) : m_width(width), m_height(height) {
        if constexpr (sizeof(T) == 2)
            m_data = Malloc16s(width, height, &m_step);
        else
            m_data = Malloc32f(width, height, &m_step);
    }
    ~TImage() { Free(m_data); }
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    explicit operator bool() const { return m_data != nullptr; }
    T* At(int x, int y) const {
        return reinterpret_cast<T*>(reinterpret_cast<std::uint8_t*>(m_data) +
                                    static_cast<std::ptrdiff_t>(y) * m_step) +
               x;
    }
    T* Row(int y) const { return At(0, y); }
    int Step() const { return m_step; }
    KSize Size() const { return {m_width, m_height}; }

private:
    int m_width, m_height;
    T* m_data = nullptr;
    int m_step = 0;
};

using TImage16s = TImage<std::int16_t>;
using TImage32f = TImage<float>;

} // namespace doc::kern
