// Status texts, image allocation and the border copies.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "processing/kernels/Kernels.h"

#ifdef _WIN32
#include <malloc.h>
#endif

namespace doc::kern {

const wchar_t* StatusText(int status) {
    switch (status) {
    case StsNoErr:
        return L"No errors";
    case StsSize:
        return L"Wrong value of data size";
    case StsNullPtr:
        return L"Null pointer error";
    case StsNoMem:
        return L"Not enough memory allocated for the operation";
    case StsStep:
        return L"Step value is less than or equal to zero";
    case StsMaskSize:
        return L"Invalid mask size";
    case StsAnchor:
        return L"Anchor point is outside the mask";
    case StsFftPlan:
        return L"The Fourier transform of this size could not be planned";
    default:
        return L"";
    }
}

namespace {

// Cache-line alignment keeps every padded row on the same vector boundaries as the first.
constexpr std::size_t kAlign = 64;

void* AllocImage(int width, int height, std::size_t cellSize, int* step) {
    if (!step)
        return nullptr;
    *step = 0;
    if (width <= 0 || height <= 0)
        return nullptr;
    const long long rowBytes =
        (static_cast<long long>(width) * static_cast<long long>(cellSize) + 31) / 32 * 32;
    if (rowBytes > INT_MAX)
        return nullptr;
    const long long total = rowBytes * height;
    if (static_cast<unsigned long long>(total) > SIZE_MAX - kAlign)
        return nullptr;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t bytes = (static_cast<std::size_t>(total) + kAlign - 1) / kAlign * kAlign;
#ifdef _WIN32
    void* p = _aligned_malloc(bytes, kAlign);
#else
    void* p = std::aligned_alloc(kAlign, bytes);
#endif
    if (p)
        *step = static_cast<int>(rowBytes);
    return p;
}

template <class T> const T* RowAt(const T* p, int step, int y) {
    return reinterpret_cast<const T*>(reinterpret_cast<const char*>(p) +
                                      static_cast<std::ptrdiff_t>(y) * step);
}
template <class T> T* RowAt(T* p, int step, int y) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(p) + static_cast<std::ptrdiff_t>(y) * step);
}

template <class T>
int CopyReplicateBorder(const T* src, int srcStep, KSize srcSize, T* dst, int dstStep, KSize dstSize, int top,
                        int left) {
    if (!src || !dst)
        return StsNullPtr;
    if (srcSize.width <= 0 || srcSize.height <= 0 || dstSize.width <= 0 || dstSize.height <= 0 || top < 0 ||
        left < 0 || static_cast<long long>(srcSize.width) + left > dstSize.width ||
        static_cast<long long>(srcSize.height) + top > dstSize.height)
        return StsSize;
    if (srcStep <= 0 || dstStep <= 0)
        return StsStep;

    const int right = dstSize.width - srcSize.width - left;
    const std::size_t rowBytes = static_cast<std::size_t>(dstSize.width) * sizeof(T);
    for (int y = 0; y < srcSize.height; ++y) {
        const T* s = RowAt(src, srcStep, y);
        T* d = RowAt(dst, dstStep, y + top);
        std::fill_n(d, left, s[0]);
        std::memcpy(d + left, s, static_cast<std::size_t>(srcSize.width) * sizeof(T));
        std::fill_n(d + left + srcSize.width, right, s[srcSize.width - 1]);
    }
    // The top and bottom borders repeat whole finished rows, corners included.
    const T* first = RowAt(dst, dstStep, top);
    for (int y = 0; y < top; ++y)
        std::memcpy(RowAt(dst, dstStep, y), first, rowBytes);
    const T* last = RowAt(dst, dstStep, top + srcSize.height - 1);
    for (int y = top + srcSize.height; y < dstSize.height; ++y)
        std::memcpy(RowAt(dst, dstStep, y), last, rowBytes);
    return StsNoErr;
}

} // namespace

std::int16_t* Malloc16s(int width, int height, int* step) {
    return static_cast<std::int16_t*>(AllocImage(width, height, sizeof(std::int16_t), step));
}

float* Malloc32f(int width, int height, int* step) {
    return static_cast<float*>(AllocImage(width, height, sizeof(float), step));
}

Complex32* Malloc32fc(int width, int height, int* step) {
    return static_cast<Complex32*>(AllocImage(width, height, sizeof(Complex32), step));
}

void Free(void* image) {
#ifdef _WIN32
    _aligned_free(image);
#else
    std::free(image);
#endif
}

int CopyReplicateBorder16s(const std::int16_t* src, int srcStep, KSize srcSize, std::int16_t* dst,
                           int dstStep, KSize dstSize, int top, int left) {
    return CopyReplicateBorder(src, srcStep, srcSize, dst, dstStep, dstSize, top, left);
}

int CopyReplicateBorder32f(const float* src, int srcStep, KSize srcSize, float* dst, int dstStep,
                           KSize dstSize, int top, int left) {
    return CopyReplicateBorder(src, srcStep, srcSize, dst, dstStep, dstSize, top, left);
}

} // namespace doc::kern
