#pragma once
// Image primitives on single-channel images: a pointer to the first cell of the region of interest,
// a row step in bytes and the region's size. Filters read the cells around the region as far as their
// mask reaches; the caller supplies those border cells (CopyReplicateBorder). Every primitive checks
// its pointers (StsNullPtr), then the region size (StsSize), then the steps (StsStep), then its mask
// (StsMaskSize) and anchor (StsAnchor), and returns StsNoErr on success.
#include <cstdint>

namespace doc::kern {

enum Status : int {
    StsNoErr = 0,
    StsSize = -6,
    StsNullPtr = -8,
    StsNoMem = -9,
    StsStep = -14,
    StsMaskSize = -33,
    StsAnchor = -34,
    // FFTW made no plan for a transform of that size.
    StsFftPlan = -60,
};

// The user's text of a status ("Invalid mask size", ...); empty for an unknown code.
const wchar_t* StatusText(int status);

struct KSize {
    int width;
    int height;
};
struct KPoint {
    int x;
    int y;
};

// The fixed masks of the median and smoothing primitives.
enum MaskSize { Mask3x1, Mask5x1, Mask1x3, Mask1x5, Mask3x3, Mask5x5 };

struct Complex32 {
    float re;
    float im;
};

// Images with rows padded to a multiple of 32 bytes; step receives the row step in bytes. A width or
// height of zero or less gives null. Free with Free.
std::int16_t* Malloc16s(int width, int height, int* step);
float* Malloc32f(int width, int height, int* step);
Complex32* Malloc32fc(int width, int height, int* step);
void Free(void* image);

// dst receives src at (left, top); the border repeats the nearest edge cell. dstSize must hold
// srcSize plus the borders (else StsSize).
int CopyReplicateBorder16s(const std::int16_t* src, int srcStep, KSize srcSize, std::int16_t* dst,
                           int dstStep, KSize dstSize, int top, int left);
int CopyReplicateBorder32f(const float* src, int srcStep, KSize srcSize, float* dst, int dstStep,
                           KSize dstSize, int top, int left);

// Mean of the mask-sized block placed by the anchor, truncated. Mask sides at least 2.
int FilterBox16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi, KSize mask,
                 KPoint anchor);

// Medians: cross of 5 (Mask3x3) or 9 (Mask5x5) cells; a line of 3 or 5 cells (Mask3x1/Mask5x1
// horizontal, Mask1x3/Mask1x5 vertical); any odd rectangle placed by its anchor.
int FilterMedianCross16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                         MaskSize mask);
int FilterMedianHoriz16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                         MaskSize mask);
int FilterMedianVert16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                        MaskSize mask);
int FilterMedian16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                    KSize mask, KPoint anchor);

// Fixed 16-bit kernels: weighted sums divided, rounded to nearest and saturated.
int FilterPrewittHoriz16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int FilterPrewittVert16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int FilterRobertsUp16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int FilterRobertsDown16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int FilterLaplace16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                     MaskSize mask);
int FilterGauss16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                   MaskSize mask);
int FilterHipass16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                    MaskSize mask);
int FilterLowpass16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
                     MaskSize mask);
int FilterSharpen16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);

// Fixed float kernels: neither rounded nor clamped. Sobel: Mask3x3, anything else is 5 x 5.
int FilterScharrHoriz32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi);
int FilterScharrVert32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi);
int FilterSobelHoriz32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask);
int FilterSobelVert32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask);
int FilterSobelHorizSecond32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi,
                              MaskSize mask);
int FilterSobelVertSecond32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi,
                             MaskSize mask);
int FilterSobelCross32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask);

// Grey-level morphology on floats: maximum (dilate) or minimum (erode) over the 3 x 3 square, or over
// the cells of a width x height mask (non-zero bytes, row-major) placed by its anchor.
int Dilate3x3_32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi);
int Erode3x3_32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi);
int Dilate32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, const std::uint8_t* mask,
              KSize maskSize, KPoint anchor);
int Erode32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, const std::uint8_t* mask,
             KSize maskSize, KPoint anchor);
// The same on 16-bit counts.
int Dilate3x3_16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int Erode3x3_16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi);
int Dilate16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
              const std::uint8_t* mask, KSize maskSize, KPoint anchor);
int Erode16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
             const std::uint8_t* mask, KSize maskSize, KPoint anchor);

} // namespace doc::kern
