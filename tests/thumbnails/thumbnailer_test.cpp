// vantri-thumbnailer as the desktop runs it: whole processes on real files.
#include <dirent.h>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "thumbnails/Render.h"
#include "thumbnails/ScanFiles.h"

using namespace thumbtest;

namespace {

std::string Dir() {
    static const std::string dir = [] {
        char name[] = "/tmp/vantri-thumbnailer-XXXXXX";
        return std::string(::mkdtemp(name) ? name : "/tmp");
    }();
    return dir;
}

std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = Dir() + "/" + name;
    testdata::WriteFile(path, bytes);
    return path;
}

int RunThumbnailer(const std::string& arguments) {
    const int status =
        std::system((std::string(VANTRI_THUMBNAILER) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::vector<std::string> Entries() {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(Dir().c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct CPng {
    png_uint_32 width = 0, height = 0;
    std::vector<std::uint8_t> grey;
};

bool ReadPng(const std::string& path, CPng& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_GRAY;
    out.width = image.width;
    out.height = image.height;
    out.grey.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.grey.data(), 0, nullptr) != 0;
}

// What the extractor draws for the same bytes, one grey byte a pixel.
std::vector<std::uint8_t> Extracted(thumbs::Format format, const std::string& bytes, int width, int height) {
    std::FILE* file = AsFile(bytes);
    thumbs::CPicture picture;
    EXPECT_EQ(thumbs::Render(format, file, width, height, picture), thumbs::kOk);
    std::fclose(file);
    std::vector<std::uint8_t> grey;
    for (std::size_t k = 0; k < picture.bgra.size(); k += 4)
        grey.push_back(picture.bgra[k]);
    return grey;
}

const SampleFn kWave = [](int c, int r) { return (c * c + 3 * r) % 500 - 250; };

} // namespace

TEST(Thumbnailer, WritesWhatTheExtractorDraws) {
    NanoScopeShape shape;
    shape.columns = 64;
    shape.rows = 32;
    const std::string scans[][2] = {{"a.000", NanoScope(shape, kWave)},
                                    {"b.MDT", NtMdt(NtMdtShape{}, kWave)},
                                    {"c.spm", Nanotop(48, 40, kWave)}};
    const thumbs::Format formats[] = {thumbs::Format::kNanoScope, thumbs::Format::kNtMdt,
                                      thumbs::Format::kNanotop};
    for (int k = 0; k < 3; ++k) {
        const std::string input = Write(scans[k][0], scans[k][1]), output = input + ".png";
        ASSERT_EQ(RunThumbnailer("-s 40 " + input + " " + output), 0) << input;
        CPng png;
        ASSERT_TRUE(ReadPng(output, png)) << output;
        EXPECT_EQ(png.width, 40u);
        EXPECT_EQ(png.height, 40u);
        EXPECT_EQ(png.grey, Extracted(formats[k], scans[k][1], 40, 40)) << input;

        ASSERT_EQ(RunThumbnailer("-s 30x20 " + input + " " + output), 0); // over the old picture
        ASSERT_TRUE(ReadPng(output, png));
        EXPECT_EQ(png.width, 30u);
        EXPECT_EQ(png.height, 20u);
        EXPECT_EQ(png.grey, Extracted(formats[k], scans[k][1], 30, 20)) << input;
    }
    // The longest name a file may have.
    const std::string longest = Dir() + "/" + std::string(251, 'n') + ".png";
    ASSERT_EQ(RunThumbnailer("-s 16 " + Dir() + "/c.spm " + longest), 0);
    CPng png;
    EXPECT_TRUE(ReadPng(longest, png));
}

TEST(Thumbnailer, FailureLeavesNoFile) {
    const std::string before = Dir() + "/before";
    std::string cut = Nanotop(48, 40, kWave);
    cut.resize(cut.size() - 1);
    const std::string inputs[] = {Write("cut.spm", cut), Write("empty.mdt", ""), Write("text.txt", "hello"),
                                  Dir() + "/missing.000"};
    const std::vector<std::string> entries = Entries();
    for (const std::string& input : inputs) {
        const std::string output = input + ".png";
        EXPECT_EQ(RunThumbnailer("-s 64 " + input + " " + output), 1) << input;
        EXPECT_FALSE(Exists(output)) << input;
    }
    EXPECT_EQ(Entries(), entries); // no temporary file left behind either
    // A folder that cannot be written to.
    const std::string good = Write("good.spm", Nanotop(8, 8, kWave));
    EXPECT_EQ(RunThumbnailer("-s 64 " + good + " /nonexistent-dir/out.png"), 1);
}

TEST(Thumbnailer, UsageErrors) {
    const std::string input = Write("u.spm", Nanotop(8, 8, kWave)), output = Dir() + "/u.png";
    const std::string files = " " + input + " " + output;
    for (const std::string& arguments :
         {std::string(""), "-s 64 " + input, files, "-s 0" + files, "-s 5000" + files, "-s 64x" + files,
          "-s -3" + files, "-q -s 64" + files, "-s 64" + files + " extra"}) {
        EXPECT_EQ(RunThumbnailer(arguments), 2) << arguments;
        EXPECT_FALSE(Exists(output)) << arguments;
    }
    EXPECT_EQ(RunThumbnailer("-s64 " + input + " " + output), 0);
}

TEST(Thumbnailer, OtherNamesByTheirFirstBytes) {
    // The MIME package also claims NanoScope and NT-MDT files by their marks, whatever their names.
    const std::string ns = Write("scan.di", NanoScope(NanoScopeShape{}, kWave));
    EXPECT_EQ(RunThumbnailer("-s 16 " + ns + " " + ns + ".png"), 0);
    const std::string mdt = Write("scan.data", NtMdt(NtMdtShape{}, kWave));
    EXPECT_EQ(RunThumbnailer("-s 16 " + mdt + " " + mdt + ".png"), 0);
    const std::string spm = Write("scan.bin", Nanotop(8, 8, kWave));
    EXPECT_EQ(RunThumbnailer("-s 16 " + spm + " " + spm + ".png"), 1);
}

TEST(Thumbnailer, RealScans) {
    const std::string real = std::string(VANTRI_SOURCE_DIR) + "/tests/data/real/";
    const std::string output = Dir() + "/real.png";
    EXPECT_EQ(RunThumbnailer("-s 128 " + real + "scilab4spm__data1.007 " + output), 0);
    CPng png;
    ASSERT_TRUE(ReadPng(output, png));
    EXPECT_EQ(png.width, 128u);
    // A real height image uses most of the grey levels.
    std::vector<bool> used(256);
    for (std::uint8_t g : png.grey)
        used[g] = true;
    EXPECT_GT(std::count(used.begin(), used.end(), true), 200);
}
