// Writes the scan files of the Wine test and what the Linux build of the extractor core draws from
// them, for com_test.exe to compare the Windows server's bitmaps with.
//
//   thumbs_wine_cases DIR
//
// DIR/cases.txt has one case a line, fields separated by tabs:
//   class (di, mdt or spm)  file name (UTF-8)  width  height  Render's result (hex)  pixel file or "-"
// A pixel file holds width x height x 4 bytes (blue, green, red, fourth), the top row first.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "thumbnails/Extractor.h"

namespace {

struct CCase {
    const char* className;
    thumbs::Format format;
    std::string name;
    int width, height;
    bool drawable; // Render must succeed (true) or give kFail (false)
};

// Samples that run through the whole int16 range and back, so that a picture shows both ends.
std::vector<std::int16_t> Ramp(int columns, int rows, int bytesPerPixel) {
    const int top = bytesPerPixel == 1 ? 127 : 32767;
    std::vector<std::int16_t> samples;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int v = ((c * 7 + r * 13) % 64) * (2 * top + 1) / 63 - top - 1;
            samples.push_back(static_cast<std::int16_t>(v));
        }
    return samples;
}

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what);
}

void WriteScans(const std::string& dir) {
    using namespace testdata;
    NsFile nanoscope;
    nanoscope.version = "0x04320003";
    nanoscope.images[0].columns = 64;
    nanoscope.images[0].rows = 48;
    WriteFile(dir + "/scan.000", MakeNanoScope(nanoscope));

    NsFile bytes = nanoscope;
    bytes.images[0].columns = 40;
    bytes.images[0].rows = 30;
    bytes.images[0].bytesPerPixel = 1;
    bytes.images[0].samples = Ramp(40, 30, 1);
    WriteFile(dir + "/signed.042", MakeNanoScope(bytes));

    NsFile wide = nanoscope;
    wide.images[0].columns = 256;
    wide.images[0].rows = 128;
    wide.images[0].bytesPerPixel = 4;
    wide.images.push_back(NsImage{}); // a second image, never drawn
    WriteFile(dir + "/wide.099", MakeNanoScope(wide));

    NsFile old = nanoscope;
    old.version = "0x04220000";
    WriteFile(dir + "/old.001", MakeNanoScope(old));

    MdtFile mdt;
    mdt.frames[0].columns = 50;
    mdt.frames[0].rows = 40;
    mdt.frames.push_back(MdtFrame{});
    WriteFile(dir + "/scan.mdt", MakeNtMdt(mdt));

    MdtFile cut = mdt;
    cut.frames.resize(1);
    cut.truncateTo = static_cast<long long>(MdtFrameOffset(cut, 1)) - 100;
    WriteFile(dir + "/cut.mdt", MakeNtMdt(cut));

    SpmFile spm;
    spm.columns = 40;
    spm.rows = 30;
    WriteFile(dir + "/scan.spm", MakeSpm(spm));

    SpmFile ramp = spm;
    ramp.columns = 33;
    ramp.rows = 21;
    ramp.samples = Ramp(33, 21, 2);
    WriteFile(dir + "/Scan \xC3\xBC\xE2\x82\xAC 1.spm", MakeSpm(ramp));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: thumbs_wine_cases DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<CCase> cases = {
        {"di", thumbs::Format::kNanoScope, "scan.000", 32, 32, true},
        {"di", thumbs::Format::kNanoScope, "signed.042", 40, 30, true},
        {"di", thumbs::Format::kNanoScope, "wide.099", 100, 100, true},
        {"di", thumbs::Format::kNanoScope, "old.001", 16, 16, false},
        {"mdt", thumbs::Format::kNtMdt, "scan.mdt", 96, 96, true},
        {"mdt", thumbs::Format::kNtMdt, "cut.mdt", 16, 16, false},
        {"spm", thumbs::Format::kNanotop, "scan.spm", 64, 48, true},
        {"spm", thumbs::Format::kNanotop, "Scan \xC3\xBC\xE2\x82\xAC 1.spm", 30, 20, true},
    };
    try {
        WriteScans(dir);
        std::FILE* list = std::fopen((dir + "/cases.txt").c_str(), "wb");
        Check(list != nullptr, "cannot write " + dir + "/cases.txt");
        for (const CCase& c : cases) {
            std::FILE* scan = std::fopen((dir + "/" + c.name).c_str(), "rb");
            Check(scan != nullptr, "cannot read " + c.name);
            thumbs::CPicture picture;
            const thumbs::Result result = thumbs::Render(c.format, scan, c.width, c.height, picture);
            std::fclose(scan);
            Check((result == thumbs::kOk) == c.drawable, c.name + ": unexpected result");
            std::string pixels = "-";
            if (result == thumbs::kOk) {
                Check(picture.width == c.width && picture.height == c.height &&
                          picture.bgra.size() == std::size_t(c.width) * c.height * 4,
                      c.name + ": picture of the wrong size");
                // A comparison with a flat picture would prove little: every case spans most of the greys.
                int darkest = 255, lightest = 0;
                for (std::size_t i = 0; i < picture.bgra.size(); i += 4) {
                    darkest = std::min<int>(darkest, picture.bgra[i]);
                    lightest = std::max<int>(lightest, picture.bgra[i]);
                }
                Check(lightest - darkest >= 200, c.name + ": the picture is nearly flat");
                pixels = c.name + ".bgra";
                std::FILE* out = std::fopen((dir + "/" + pixels).c_str(), "wb");
                Check(out && std::fwrite(picture.bgra.data(), 1, picture.bgra.size(), out) ==
                                 picture.bgra.size(),
                      "cannot write " + pixels);
                std::fclose(out);
            }
            std::fprintf(list, "%s\t%s\t%d\t%d\t%08X\t%s\n", c.className, c.name.c_str(), c.width, c.height,
                         static_cast<unsigned>(result), pixels.c_str());
        }
        Check(std::fclose(list) == 0, "cannot write cases.txt");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "thumbs_wine_cases: %s\n", e.what());
        return 1;
    }
    return 0;
}
