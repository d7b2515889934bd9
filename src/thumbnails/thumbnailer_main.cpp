// vantri-thumbnailer: the freedesktop face of the extractors. Draws a scan's first image as the
// shell extension draws it and writes it as a PNG for the desktop's thumbnail cache.
//
//   vantri-thumbnailer -s SIZE INPUT OUTPUT.png      SIZE x SIZE pixels, or -s WIDTHxHEIGHT
//
// Exit status 0 with OUTPUT written, 1 when the file cannot be drawn (nothing is written), 2 for a
// usage error. The picture is written to a temporary file beside OUTPUT and renamed over it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "thumbnails/Render.h"

namespace {

constexpr int kMaxSide = 4096;

int Usage(const char* message) {
    std::fprintf(stderr,
                 "vantri-thumbnailer: %s\nusage: vantri-thumbnailer -s SIZE|WIDTHxHEIGHT INPUT OUTPUT.png\n",
                 message);
    return 2;
}

bool ParseSide(const char* text, char** end, int& side) {
    if (*text < '0' || *text > '9')
        return false;
    errno = 0;
    const long value = std::strtol(text, end, 10);
    if (errno != 0 || value < 1 || value > kMaxSide)
        return false;
    side = static_cast<int>(value);
    return true;
}

bool ParseSize(const char* text, int& width, int& height) {
    char* end = nullptr;
    if (!ParseSide(text, &end, width))
        return false;
    if (*end == '\0') {
        height = width;
        return true;
    }
    if (*end != 'x' && *end != 'X')
        return false;
    return ParseSide(end + 1, &end, height) && *end == '\0';
}

// The three channels of every pixel are equal, so the PNG keeps one grey byte a pixel.
bool WritePng(std::FILE* file, const thumbs::CPicture& picture) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(static_cast<std::size_t>(picture.width));
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Thumbnails are small and short-lived: fast compression beats the last few per cent of size.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* pixel = &picture.bgra[static_cast<std::size_t>(y) * picture.width * 4];
        for (int x = 0; x < picture.width; ++x)
            row[static_cast<std::size_t>(x)] = pixel[x * 4];
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The format from the extension; a file under another name is taken by its first bytes.
bool Identify(const char* path, std::FILE* file, thumbs::Format& format) {
    if (thumbs::FormatFromName(path, format))
        return true;
    std::uint8_t head[16];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    return thumbs::FormatFromMagic(head, got, format);
}

bool WriteAtomically(const std::string& output, const thumbs::CPicture& picture) {
    // A short name of our own beside the output: one made from the output's name would pass the
    // system's limit for the longest names.
    const std::size_t slash = output.find_last_of('/');
    std::string temporary = (slash == std::string::npos ? std::string() : output.substr(0, slash + 1)) +
                            ".vantri-thumbnail-XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0)
        return false;
    // mkstemp makes the file private; the picture gets the permissions any new file would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    const bool written = WritePng(file, picture);
    const bool closed = std::fclose(file) == 0;
    if (written && closed && std::rename(temporary.c_str(), output.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0;
    const char* paths[2] = {};
    int count = 0;
    for (int k = 1; k < argc; ++k) {
        const char* arg = argv[k];
        if (std::strcmp(arg, "-s") == 0) {
            if (++k == argc || !ParseSize(argv[k], width, height))
                return Usage("-s needs a size of 1 to 4096, or WIDTHxHEIGHT");
        } else if (std::strncmp(arg, "-s", 2) == 0) {
            if (!ParseSize(arg + 2, width, height))
                return Usage("-s needs a size of 1 to 4096, or WIDTHxHEIGHT");
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage("unknown option");
        } else if (count < 2) {
            paths[count++] = arg;
        } else {
            return Usage("too many arguments");
        }
    }
    if (width == 0)
        return Usage("no size given");
    if (count < 2)
        return Usage("an input and an output file are needed");

    std::FILE* input = std::fopen(paths[0], "rb");
    if (!input) {
        std::fprintf(stderr, "vantri-thumbnailer: cannot open %s: %s\n", paths[0], std::strerror(errno));
        return 1;
    }
    thumbs::Format format;
    if (!Identify(paths[0], input, format)) {
        std::fclose(input);
        std::fprintf(stderr, "vantri-thumbnailer: %s is not a scan this thumbnailer knows\n", paths[0]);
        return 1;
    }
    thumbs::CPicture picture;
    const thumbs::Result result = thumbs::Render(format, input, width, height, picture);
    std::fclose(input);
    if (result != thumbs::kOk) {
        std::fprintf(stderr, "vantri-thumbnailer: cannot draw %s (0x%08X)\n", paths[0], unsigned{result});
        return 1;
    }
    if (!WriteAtomically(paths[1], picture)) {
        std::fprintf(stderr, "vantri-thumbnailer: cannot write %s\n", paths[1]);
        return 1;
    }
    return 0;
}
