// Draws arbitrary bytes as a thumbnail of one format, VANTRI_FUZZ_FORMAT, read from memory. The
// picture's size comes from the input's length and last byte, so that sizes from 1 to 300 in both
// directions are tried; the extractor's own path (Load, GetLocation, Extract) runs at a shell's size.
#include <cstdint>
#include <cstdio>

#include "thumbnails/Extractor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::FILE* file = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    const int width = 1 + static_cast<int>(size % 300);
    const int height = 1 + static_cast<int>((size / 300 + data[size - 1]) % 300);
    thumbs::CPicture picture;
    const thumbs::Result result = thumbs::Render(VANTRI_FUZZ_FORMAT, file, width, height, picture);
    if (result == thumbs::kOk && picture.bgra.size() != static_cast<std::size_t>(width) * height * 4)
        __builtin_trap();

    thumbs::CExtractor extractor(VANTRI_FUZZ_FORMAT);
    char16_t path[8] = u"x";
    extractor.Load(path);
    extractor.GetLocation(path, 8, 96, 96, 1);
    extractor.Extract(file, picture);
    std::fclose(file);
    return 0;
}
