#include "view2d/BmpFile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace m2D {

namespace {

constexpr std::uint32_t kFileHeader = 14, kInfoHeader = 40, kPixelOffset = kFileHeader + kInfoHeader;

// The largest pixel count whose file, headers included, fits the header's 32-bit size field.
constexpr std::uint64_t kMaxPixels = (0xFFFFFFFFull - kPixelOffset) / 4;

bool FitsBitmap(int width, int height) {
    return width > 0 && height > 0 && std::uint64_t(width) * std::uint64_t(height) <= kMaxPixels;
}

void Put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        at[k] = std::uint8_t(v >> (8 * k));
}

} // namespace

bool Composite(const std::uint8_t* image, int w1, int h1, const std::uint8_t* bar, int w2, int h2,
               CPicture& out) {
    out = CPicture();
    if (!image || w1 < 1 || h1 < 1)
        return false;
    if (!bar || w2 < 1 || h2 < 1)
        w2 = h2 = 0;
    const int height = h1 > h2 ? h1 : h2;
    if (w2 > 0x7FFFFFFF - w1 || !FitsBitmap(w1 + w2, height))
        return false;
    const int width = w1 + w2;
    try {
        out.pixels.resize(std::size_t(width) * std::size_t(height) * 4);
    } catch (const std::bad_alloc&) {
        out.pixels.clear();
        return false;
    }
    out.width = width;
    out.height = height;
    // Bottom-up rows: a part of h rows hanging from the top of the picture starts at row height - h.
    auto place = [&](const std::uint8_t* part, int w, int h, int left) {
        const int below = height - h;
        for (int r = 0; r < height; ++r) {
            std::uint8_t* to = &out.pixels[(std::size_t(r) * width + left) * 4];
            if (r >= below) {
                std::memcpy(to, part + std::size_t(r - below) * w * 4, std::size_t(w) * 4);
            } else {
                for (int x = 0; x < w; ++x)
                    std::memcpy(to + std::size_t(x) * 4, kWhite, 4);
            }
        }
    };
    place(image, w1, h1, 0);
    if (w2)
        place(bar, w2, h2, w1);
    return true;
}

std::vector<std::uint8_t> BmpBytes(const std::uint8_t* bgraBottomUp, int width, int height) {
    if (!bgraBottomUp || !FitsBitmap(width, height))
        return {};
    const std::uint32_t imageSize = std::uint32_t(width) * std::uint32_t(height) * 4;
    std::vector<std::uint8_t> bytes(std::size_t(kPixelOffset) + imageSize);
    std::uint8_t* h = bytes.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, kPixelOffset + imageSize);
    Put16(h + 6, 0);
    Put16(h + 8, 0);
    Put32(h + 10, kPixelOffset);
    std::uint8_t* info = h + kFileHeader;
    Put32(info + 0, kInfoHeader);
    Put32(info + 4, std::uint32_t(width));
    Put32(info + 8, std::uint32_t(height));
    Put16(info + 12, 1);  // planes
    Put16(info + 14, 32); // bits per pixel
    Put32(info + 16, 0);  // no compression
    Put32(info + 20, imageSize);
    Put32(info + 24, 0); // resolution, x and y
    Put32(info + 28, 0);
    Put32(info + 32, 0); // colours used
    Put32(info + 36, 0); // important colours
    std::memcpy(h + kPixelOffset, bgraBottomUp, imageSize);
    return bytes;
}

std::string BmpPathFor(const std::string& scan, int image) {
    const std::size_t name = scan.find_last_of('/') + 1; // 0 without a folder
    const std::size_t dot = scan.find_last_of('.');
    // A name's leading dot hides the file; it starts no extension.
    const bool extension = dot != std::string::npos && dot > name;
    std::string path = extension ? scan.substr(0, dot) : scan;
    if (image > 0)
        path += "-" + std::to_string(image);
    return path + ".bmp";
}

bool WriteBmp(const std::string& path, const std::uint8_t* bgraBottomUp, int width, int height) {
    const std::vector<std::uint8_t> bytes = BmpBytes(bgraBottomUp, width, height);
    if (bytes.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace m2D
