#pragma once
// Pictures of a 2D image saved as Windows bitmaps: the rendered image beside its height bar, and
// the 32-bit BMP file of such a picture. Pixels are 4 bytes blue, green, red, reserved, rows bottom-up
// (the first row is the bottom of the picture), rows packed without padding.
#include <cstdint>
#include <string>
#include <vector>

namespace m2D {

struct CPicture {
    std::vector<std::uint8_t> pixels; // width x height BGRA pixels, rows bottom-up
    int width = 0, height = 0;
};

// The white of the picture where neither the image nor the bar has pixels: 0xFFFFFF.
constexpr std::uint8_t kWhite[4] = {0xFF, 0xFF, 0xFF, 0x00};

// The image (w1 x h1) on the left and the bar (w2 x h2) on its right, as the view shows them: both
// hang from the top. The picture is w1 + w2 wide and as tall as the taller of the two; under the
// shorter one it is white. The bar is normally the taller (it runs the height of the view), so the
// picture takes its height and the white rows lie under the image; an image taller than its bar
// keeps all of its rows, with white under the bar. Without a bar (null, or a side of 0) the picture
// is the image alone. False, with the picture emptied, for a missing image or sizes beyond a bitmap's.
bool Composite(const std::uint8_t* image, int w1, int h1, const std::uint8_t* bar, int w2, int h2,
               CPicture& out);

// The bytes of a 32-bit BMP file of width x height pixels: the 14-byte file header, the 40-byte
// BITMAPINFOHEADER (positive height, rows bottom-up, no compression, no resolution, no palette),
// then the rows as given. Empty when a side is below 1 or the file would not fit in 4 GiB.
std::vector<std::uint8_t> BmpBytes(const std::uint8_t* bgraBottomUp, int width, int height);

// Where the picture of image K of a scan goes by default: the scan's path with its extension (if any)
// replaced by ".bmp", or by "-K.bmp" for an image K above 0.
std::string BmpPathFor(const std::string& scan, int image);

// Writes BmpBytes to path; false when the sizes are refused or the file cannot be written whole.
bool WriteBmp(const std::string& path, const std::uint8_t* bgraBottomUp, int width, int height);
inline bool WriteBmp(const std::string& path, const CPicture& picture) {
    return WriteBmp(path, picture.pixels.data(), picture.width, picture.height);
}

} // namespace m2D
