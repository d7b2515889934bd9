// The upload of a 4096 x 4096 surface texture through the colour transfer, single thread, by both
// paths of ColorUpload and by the plain alternative of one RGB buffer uploaded as GL_RGB, against a
// memcpy of the RGB result. The ratio of the faster path to the memcpy says how close the upload
// comes to moving the colours alone.
//
// It needs an OpenGL context: on a machine without a display run it under `xvfb-run -a`.
#include "view2d/ColorTransfer.h"
#include "view2d/qt/ColorUpload.h"

#include <benchmark/benchmark.h>
#include <qopengl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <vector>

#include "BenchGL.h"

namespace {

constexpr int kSide = 4096;
constexpr std::size_t kCells = std::size_t(kSide) * kSide;

std::vector<float> g_grey;
std::vector<std::uint8_t> g_rgb, g_copy;
color::CConverter g_converter;
color::CAttenuator g_attenuator;
GLuint g_textures[3] = {};

// Uniform random levels, the Amber fill, ten contrast steps and one brightness step: the data and
// setting of bench_color_transfer, so that the two programs' times compare.
void MakeGrid() {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    g_grey.resize(kCells);
    std::generate(g_grey.begin(), g_grey.end(), [&] { return level(random); });
    g_rgb.assign(kCells * 3, 0);
    g_copy.assign(kCells * 3, 0x5A);
    g_converter.SetType(color::CConverter::kAmber);
    while (g_attenuator.Contrast() < 10)
        g_attenuator.ContrastUp();
    g_attenuator.BrightnessUp();
    glGenTextures(3, g_textures);
}

void Upload(color::UploadPath path) {
    color::UploadTexture(g_grey.data(), kSide, kSide, g_converter, g_attenuator, path);
}

// The texture's texels as BGRA bytes.
std::vector<std::uint8_t> ReadTexture() {
    std::vector<std::uint8_t> texels(kCells * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// Before any timing: the processor path gives the transfer's colours exactly; the pixel-transfer
// path may round exact halves to even (Mesa does), which moves a channel by at most one step of the
// tables, 3 units in the steepest part of Amber.
bool CheckUploads() {
    std::vector<std::uint8_t> expected(kCells * 4);
    color::TransferBgra(g_grey.data(), kSide, kSide, g_converter, g_attenuator, expected.data());
    glBindTexture(GL_TEXTURE_2D, g_textures[0]);
    Upload(color::UploadPath::kProcessor);
    if (ReadTexture() != expected)
        return false;
    glBindTexture(GL_TEXTURE_2D, g_textures[1]);
    Upload(color::UploadPath::kPixelTransfer);
    const std::vector<std::uint8_t> texels = ReadTexture();
    for (std::size_t p = 0; p < kCells * 4; p += 4)
        for (std::size_t k = p; k < p + 3; ++k)
            if (std::abs(int(texels[k]) - int(expected[k])) > 3)
                return false;
    return true;
}

void BM_UploadProcessor(benchmark::State& state) {
    glBindTexture(GL_TEXTURE_2D, g_textures[0]);
    for (auto _ : state) {
        Upload(color::UploadPath::kProcessor);
        glFinish();
    }
}

void BM_UploadPixelTransfer(benchmark::State& state) {
    glBindTexture(GL_TEXTURE_2D, g_textures[1]);
    for (auto _ : state) {
        Upload(color::UploadPath::kPixelTransfer);
        glFinish();
    }
}

// The whole grid through the transfer into one RGB buffer, then a GL_RGB texture.
void BM_TransferRgbUploadRgb(benchmark::State& state) {
    glBindTexture(GL_TEXTURE_2D, g_textures[2]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (auto _ : state) {
        color::TransferRgb(g_grey.data(), kSide, kSide, g_converter, g_attenuator, g_rgb.data());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kSide, kSide, 0, GL_RGB, GL_UNSIGNED_BYTE, g_rgb.data());
        glFinish();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// The two halves of the processor path apart: the transfer into one cache-sized strip after another,
// and the driver's copy of a strip that is already in the cache into the texture.
constexpr int kStripRows = 16; // the quarter megabyte of ColorUpload

void BM_TransferStrips(benchmark::State& state) {
    std::vector<std::uint8_t> strip(std::size_t(kSide) * kStripRows * 4);
    for (auto _ : state) {
        for (int row = 0; row < kSide; row += kStripRows)
            color::TransferBgra(g_grey.data() + std::size_t(row) * kSide, kSide, kStripRows, g_converter,
                                g_attenuator, strip.data());
        benchmark::ClobberMemory();
    }
}

void BM_CopyStrips(benchmark::State& state) {
    std::vector<std::uint8_t> strip(std::size_t(kSide) * kStripRows * 4, 0x5A);
    glBindTexture(GL_TEXTURE_2D, g_textures[0]);
    for (auto _ : state) {
        for (int row = 0; row < kSide; row += kStripRows)
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row, kSide, kStripRows, GL_BGRA, GL_UNSIGNED_BYTE,
                            strip.data());
        glFinish();
    }
}

void BM_MemcpyRgb(benchmark::State& state) {
    for (auto _ : state) {
        std::memcpy(g_rgb.data(), g_copy.data(), g_copy.size());
        benchmark::ClobberMemory();
    }
}

void PrintRatios(const bench::MeanReporter& reporter, std::ostream& out) {
    const double processor = reporter.MeanMs("UploadProcessor");
    const double transfer = reporter.MeanMs("UploadPixelTransfer");
    const double rgb = reporter.MeanMs("TransferRgbUploadRgb");
    const double copy = reporter.MeanMs("MemcpyRgb");
    const double strips = reporter.MeanMs("TransferStrips"), copies = reporter.MeanMs("CopyStrips");
    char line[300];
    std::snprintf(
        line, sizeof line,
        "\nmean wall time (4096 x 4096, the processor's strips made on two threads): processor %s ms, "
        "pixel transfer %s ms, rgb buffer %s ms, memcpy of the rgb result %s ms\n",
        bench::Ms(processor).c_str(), bench::Ms(transfer).c_str(), bench::Ms(rgb).c_str(),
        bench::Ms(copy).c_str());
    out << line;
    out << "ratio processor/memcpy: " << bench::Ratio(processor, copy) << "\n";
    out << "ratio pixel transfer/memcpy: " << bench::Ratio(transfer, copy) << "\n";
    out << "ratio rgb buffer/memcpy: " << bench::Ratio(rgb, copy) << "\n";
    out << "processor path in parts: transfer " << bench::Ratio(strips, copy) << " x memcpy, driver copy "
        << bench::Ratio(copies, copy) << " x memcpy\n";
    double fastest = -1;
    const char* name = "none";
    for (const auto& [ms, path] : {std::pair{processor, "processor"}, std::pair{transfer, "pixel transfer"}})
        if (ms >= 0 && (fastest < 0 || ms < fastest)) {
            fastest = ms;
            name = path;
        }
    out << "fastest path: " << name << ", ratio to memcpy " << bench::Ratio(fastest, copy) << "\n"
        << std::flush;
}

int Run() {
    MakeGrid();
    if (!CheckUploads()) {
        std::cerr << "bench_color_upload: an upload disagrees with the transfer\n";
        return 1;
    }
    using bench::WallMs;
    WallMs(benchmark::RegisterBenchmark("UploadProcessor", BM_UploadProcessor));
    WallMs(benchmark::RegisterBenchmark("UploadPixelTransfer", BM_UploadPixelTransfer));
    WallMs(benchmark::RegisterBenchmark("TransferRgbUploadRgb", BM_TransferRgbUploadRgb));
    WallMs(benchmark::RegisterBenchmark("TransferStrips", BM_TransferStrips));
    WallMs(benchmark::RegisterBenchmark("CopyStrips", BM_CopyStrips));
    WallMs(benchmark::RegisterBenchmark("MemcpyRgb", BM_MemcpyRgb));
    bench::RunAndSummarise(PrintRatios);
    glDeleteTextures(3, g_textures);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::GLMain(argc, argv, "bench_color_upload", Run);
}
