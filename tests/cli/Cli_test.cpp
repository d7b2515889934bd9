#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <locale.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "analysis/Spectrum.h"
#include "common/StlFile.h"
#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "view2d/ColorTransfer.h"
#include "view3d/ModelFormulas.h"

namespace {

namespace fs = std::filesystem;

struct CRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs vantri-cli with its arguments (already quoted for the shell), after env (assignments such as
// "LC_ALL=C ").
CRun Cli(const std::string& args, const std::string& env = "") {
    // CTest runs tests in parallel: each test has its own file for standard error.
    const fs::path err =
        fs::path(VANTRI_TEST_OUT) /
        ("stderr_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
    const std::string command = env + VANTRI_CLI + " " + args + " 2>" + err.string() + " </dev/null";
    CRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[65536];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(err, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VANTRI_TEST_OUT) /
              ("cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        testdata::NsFile file;
        file.images.assign(3, testdata::NsImage{});
        file.images[1].type = "Phase";
        file.images[2].type = "Amplitude";
        for (int k = 0; k < 3; ++k) {
            file.images[k].columns = 6;
            file.images[k].rows = 4;
            file.images[k].seed = 3 + k;
        }
        three = (dir / "three.001").string();
        testdata::WriteFile(three, testdata::MakeNanoScope(file));
        one = (dir / "one.002").string();
        testdata::WriteFile(one, testdata::MakeNanoScope(testdata::NsFile{}));
    }
    fs::path dir;
    std::string three, one;
};

} // namespace

TEST_F(CliTest, InfoPrintsOneObjectPerDocumentWithGroupsAcrossFiles) {
    const CRun run = Cli("info '" + three + "' '" + one + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    const char* titles[] = {" -Height- \"", " -Phase- \"", " -Amplitude- \""};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(lines[k]);
        EXPECT_EQ(lines[k].rfind("{\"file\": \"" + three +
                                     "\", \"format\": \"NanoScope III\", \"group\": 0, \"image\": " +
                                     std::to_string(k) + ", \"title\": \"three.001",
                                 0),
                  0u);
        EXPECT_NE(lines[k].find(titles[k]), std::string::npos);
        EXPECT_NE(lines[k].find("\"columns\": 6, \"rows\": 4, \"raw_columns\": 6, \"raw_rows\": 4"),
                  std::string::npos);
        EXPECT_NE(lines[k].find(
                      "\"width\": {\"value\": 2.5, \"unit\": \"\xC2\xB5m\", \"text\": \"2.50 \xC2\xB5m\"}"),
                  std::string::npos);
    }
    EXPECT_NE(lines[3].find("\"group\": 1, \"image\": 0"), std::string::npos);
}

TEST_F(CliTest, AFileThatFailsIsReportedAndTheOthersStillPrint) {
    testdata::NsFile old;
    old.version = "0x04220000";
    const std::string bad = (dir / "old.003").string();
    testdata::WriteFile(bad, testdata::MakeNanoScope(old));
    const CRun run = Cli("info '" + bad + "' '" + one + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err,
        "This file can not be open, because \nfile format versions lower as 4.30 is not support, as yet.\n");
    EXPECT_EQ(Lines(run.out).size(), 1u);
}

TEST_F(CliTest, DumpWritesTheGridRowByRow) {
    const auto samples = testdata::PatternSamples(6, 4, 4);
    CRun run = Cli("dump '" + three + "' --image 1 --raw");
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    std::string first;
    for (int j = 0; j < 6; ++j)
        first += (j ? "," : "") + std::to_string(samples[j]);
    EXPECT_EQ(lines[0], first);

    run = Cli("dump '" + three + "' --image 1 --raw --format i16le");
    ASSERT_EQ(run.out.size(), 6u * 4 * 2);
    EXPECT_EQ(std::memcmp(run.out.data(), samples.data(), run.out.size()), 0);

    run = Cli("dump '" + three + "' --format f32le");
    ASSERT_EQ(run.out.size(), 6u * 4 * 4);
    std::vector<float> values(24);
    std::memcpy(values.data(), run.out.data(), run.out.size());
    EXPECT_EQ(*std::min_element(values.begin(), values.end()), 0.0f);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), 1.0f);

    EXPECT_EQ(Cli("dump '" + three + "' --image 7").status, 1);
    EXPECT_EQ(Cli("dump '" + three + "' --format i16le").status, 2);
    EXPECT_EQ(Cli("dump").status, 2);
}

TEST_F(CliTest, ProcessSavesTheImageInItsOwnFormat) {
    const std::string out = (dir / "saved.004").string();
    CRun run = Cli("process '" + three + "' --image 2 --out '" + out + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    run = Cli("dump '" + out + "' --image 2 --raw");
    ASSERT_EQ(run.status, 0);
    // The re-quantised image spans the whole 16-bit range.
    EXPECT_NE(run.out.find("-32767"), std::string::npos);
    EXPECT_NE(run.out.find("32767"), std::string::npos);
    EXPECT_EQ(
        Cli("process '" + three + "' --out '" + (dir / "no" / "such" / "dir.001").string() + "'").status, 1);
}

TEST_F(CliTest, ProcessAppliesEverySettingInOrderOnGeneratedAndRealFiles) {
    const std::string real = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    const std::string settings =
        " --jumps --flatten yx --plane paraboloid --morph dilate:3x5@1,4 --filter median:5x3 --normalize"
        " --filter mean:3x3@0,0 --morph erode3 --filter sharpen --plane plane --flatten y";
    for (const std::string& file : {three, real}) {
        SCOPED_TRACE(file);
        const std::string out = (dir / "processed.005").string();
        CRun run = Cli("process '" + file + "'" + settings + " --out '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        run = Cli("info '" + out + "'");
        EXPECT_EQ(run.status, 0) << run.err;
        // The processed grid printed directly has the reopened file's shape.
        run = Cli("process '" + file + "'" + settings + " --dump csv");
        ASSERT_EQ(run.status, 0);
        const auto lines = Lines(run.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(Lines(Cli("dump '" + out + "'").out).size(), lines.size());
    }
    // Every fixed filter name is known.
    for (const char* name :
         {"mean5", "mean7", "median3", "median3x1", "median1x3", "median5", "median5x1", "median1x5",
          "laplace3", "laplace5", "gauss3", "gauss5", "highpass3", "highpass5", "lowpass3", "lowpass5"})
        EXPECT_EQ(Cli("process '" + one + "' --filter " + name + " --dump f32le").status, 0) << name;
    EXPECT_EQ(Cli("process '" + one + "' --filter blur --dump csv").status, 2);
    EXPECT_EQ(Cli("process '" + one + "' --filter median:4x4@5,0 --dump csv").status, 2);
    EXPECT_EQ(Cli("process '" + one + "' --plane plane").status, 2);
}

TEST_F(CliTest, ARefusedSettingFailsTheCommandAndWritesNothing) {
    // The median primitive refuses an even kernel; the grid would stay unfiltered.
    const std::string out = (dir / "filtered.002").string();
    CRun run = Cli("process '" + one + "' --filter median:4x3 --jumps --out '" + out + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Invalid mask size\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("nothing is written"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(out));

    run = Cli("process '" + one + "' --filter median:4x3 --dump csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");

    run = Cli("export '" + one + "' --flatten y --filter median:2x2");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(dir / "one.bmp"));
}

TEST_F(CliTest, AnOutputThatCannotBeWrittenFailsTheCommand) {
    for (const std::string& args :
         {"info '" + three + "' '" + one + "'", "dump '" + three + "' --image 1",
          "dump '" + three + "' --raw --format i16le", "process '" + one + "' --filter median3 --dump csv"}) {
        SCOPED_TRACE(args);
        const CRun run = Cli(args + " >/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "vantri-cli: cannot write to standard output\n");
    }
}

TEST_F(CliTest, InfoPrintsARangeOfMoreDigitsThanItsPrecision) {
    // A dimensionless Z above 1000 keeps no decimals; a crafted step goes to exponent form.
    testdata::MdtFile mdt;
    mdt.frames.assign(2, testdata::MdtFrame{});
    for (testdata::MdtFrame& frame : mdt.frames)
        frame.zUnit = 3;
    mdt.frames[0].zStep = 1000.0f;
    mdt.frames[1].zStep = 1e30f;
    const std::string path = (dir / "dimensionless.mdt").string();
    testdata::WriteFile(path, testdata::MakeNtMdt(mdt));
    const CRun run = Cli("info '" + path + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("\"range\": {\"value\": 60000000, \"unit\": \"\", \"text\": \"60000000\"}"),
              std::string::npos);
    EXPECT_NE(lines[1].find("\"unit\": \"\", \"text\": \"6.00e+34\"}"), std::string::npos);
}

namespace {

bool HasLocale(const char* name) {
    const locale_t locale = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return false;
    ::freelocale(locale);
    return true;
}

} // namespace

TEST_F(CliTest, OutputIsTheSameInEveryLocale) {
    testdata::MdtFile mdt;
    const std::string ntmdt = (dir / "frame.mdt").string();
    testdata::WriteFile(ntmdt, testdata::MakeNtMdt(mdt));
    testdata::SpmFile spm;
    const std::string nanotop = (dir / "scan.spm").string();
    testdata::WriteFile(nanotop, testdata::MakeSpm(spm));
    const std::string files[] = {three, one, ntmdt, nanotop,
                                 std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007"};

    std::vector<std::string> commands = {"info", "stats --bins 9 --levels 7 --adjust-plane", "stats --csv"};
    for (const std::string& file : files) {
        for (std::size_t k = 0; k < 3; ++k)
            commands[k] += " '" + file + "'";
        commands.push_back("dump '" + file + "' --format csv");
    }
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const CRun c = Cli(command, "LC_ALL=C ");
        ASSERT_EQ(c.status, 0) << c.err;
        ASSERT_NE(c.out.find('.'), std::string::npos);
        for (const char* locale : {"de_DE.UTF-8", "ru_RU.UTF-8"}) {
            if (!HasLocale(locale))
                continue;
            const CRun run = Cli(command, std::string("LC_ALL=") + locale + " ");
            EXPECT_EQ(run.status, 0) << locale;
            EXPECT_TRUE(run.out == c.out) << locale << "\n" << run.out.substr(0, 400);
        }
    }
}

TEST_F(CliTest, NtMdtAndNanotopFilesGoThroughTheSameCommands) {
    testdata::MdtFile mdt;
    mdt.frames.assign(2, testdata::MdtFrame{});
    mdt.frames[1].seed = 9;
    const std::string frames = (dir / "frames.mdt").string();
    testdata::WriteFile(frames, testdata::MakeNtMdt(mdt));
    testdata::SpmFile spm;
    spm.columns = spm.rows = 10;
    const std::string nanotop = (dir / "scan.SPM").string();
    testdata::WriteFile(nanotop, testdata::MakeSpm(spm));

    CRun run = Cli("info '" + frames + "' '" + nanotop + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(
        lines[1].find("\"format\": \"NT-MDT\", \"group\": 0, \"image\": 1, \"title\": \"frames.mdt -2- \""),
        std::string::npos);
    EXPECT_NE(
        lines[2].find("\"format\": \"NANOTOP-205\", \"group\": 0, \"image\": 0, \"title\": \"scan.SPM\""),
        std::string::npos);
    EXPECT_NE(lines[2].find("\"columns\": 8, \"rows\": 8, \"raw_columns\": 10, \"raw_rows\": 10"),
              std::string::npos);

    run = Cli("dump '" + frames + "' --image 1 --raw --format i16le");
    const auto samples = testdata::PatternSamples(16, 16, 9);
    ASSERT_EQ(run.out.size(), samples.size() * 2);
    EXPECT_EQ(std::memcmp(run.out.data(), samples.data(), run.out.size()), 0);

    for (const std::string& source : {frames, nanotop}) {
        const std::string out = (dir / ("saved" + fs::path(source).extension().string())).string();
        run = Cli("process '" + source + "' --filter median3 --out '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(fs::file_size(out), fs::file_size(source));
        EXPECT_EQ(Cli("info '" + out + "'").status, 0);
    }

    run = Cli("info '" + std::string(VANTRI_TEST_DATA) + "/real/SciFiDatasets__test_mdt.mdt'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "This file can not be open, because \nhave unknown type of Frame.\n");
    EXPECT_EQ(run.out, "");
}

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

// The processed grid that "process ... --dump f32le" prints with the same settings.
std::vector<float> ProcessedGrid(const std::string& args) {
    const CRun run = Cli("process " + args + " --dump f32le");
    std::vector<float> grid(run.out.size() / 4);
    std::memcpy(grid.data(), run.out.data(), grid.size() * 4);
    return grid;
}

// The pixels the screen shows for the grid, the grid's row 0 last (BMP rows run bottom-up).
std::vector<std::uint8_t> ScreenPixels(const std::vector<float>& grid, int columns, int rows, unsigned fill,
                                       bool negative, int contrast, int brightness) {
    color::CConverter converter;
    converter.SetType(fill);
    converter.SetNegative(negative);
    color::CAttenuator attenuator;
    for (int n = 0; n < std::abs(contrast); ++n)
        contrast > 0 ? attenuator.ContrastUp() : attenuator.ContrastDown();
    for (int n = 0; n < std::abs(brightness); ++n)
        brightness > 0 ? attenuator.BrightnessUp() : attenuator.BrightnessDown();
    std::vector<std::uint8_t> pixels(std::size_t(columns) * rows * 4);
    for (int i = 0; i < rows; ++i)
        color::TransferBgra(grid.data() + std::size_t(i) * columns, columns, 1, converter, attenuator,
                            pixels.data() + std::size_t(rows - 1 - i) * columns * 4);
    return pixels;
}

} // namespace

TEST_F(CliTest, ExportWritesTheSurfaceInGreyLevelsRowZeroAtTheTop) {
    CRun run = Cli("export '" + three + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // The scan's name with .bmp for its extension.
    const std::vector<std::uint8_t> bmp = ReadBytes((dir / "three.bmp").string());
    ASSERT_EQ(bmp.size(), 54u + 6 * 4 * 4);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(U32At(bmp, 2), bmp.size());
    EXPECT_EQ(U32At(bmp, 10), 54u);
    EXPECT_EQ(U32At(bmp, 14), 40u);
    EXPECT_EQ(U32At(bmp, 18), 6u);
    EXPECT_EQ(U32At(bmp, 22), 4u);
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 32);
    EXPECT_EQ(U32At(bmp, 30), 0u);
    EXPECT_EQ(U32At(bmp, 34), 6u * 4 * 4);

    // In grey, each byte of a pixel is the sample's grey level; the surface's first row is the
    // picture's top row, the last in the file.
    const std::vector<float> grid = ProcessedGrid("'" + three + "'");
    ASSERT_EQ(grid.size(), 24u);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 6; ++j) {
            const std::size_t at = 54 + (std::size_t(3 - i) * 6 + j) * 4;
            const unsigned level = color::GreyIndex(grid[std::size_t(i) * 6 + j], 1.0f, 0.0f);
            ASSERT_EQ(bmp[at], level) << j << "," << i;
            ASSERT_EQ(bmp[at + 1], level);
            ASSERT_EQ(bmp[at + 2], level);
        }

    // Negative reverses every level.
    run = Cli("export '" + three + "' --negative --bmp '" + (dir / "negative.bmp").string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::uint8_t> negative = ReadBytes((dir / "negative.bmp").string());
    ASSERT_EQ(negative.size(), bmp.size());
    for (std::size_t at = 54; at < bmp.size(); at += 4)
        for (std::size_t k = at; k < at + 3; ++k)
            ASSERT_EQ(negative[k], 255 - bmp[k]) << at;
}

TEST_F(CliTest, ExportAppliesSettingsFillContrastAndBrightnessAsTheScreenDoes) {
    testdata::SpmFile spm;
    spm.columns = 20;
    spm.rows = 12;
    const std::string nanotop = (dir / "wide.spm").string();
    testdata::WriteFile(nanotop, testdata::MakeSpm(spm));
    const std::string settings = " --flatten yx --filter gauss3";
    const std::vector<float> grid = ProcessedGrid("'" + nanotop + "'" + settings);
    const std::string info = Lines(Cli("info '" + nanotop + "'").out).at(0);
    const int columns = std::stoi(info.substr(info.find("\"columns\": ") + 11));
    const int rows = static_cast<int>(grid.size()) / columns;
    ASSERT_EQ(std::size_t(columns) * rows, grid.size());
    struct {
        const char* options;
        unsigned fill;
        bool negative;
        int contrast, brightness;
    } const cases[] = {
        {" --fill amber --contrast 12 --brightness -3", color::CConverter::kAmber, false, 12, -3},
        {" --fill marine --negative --contrast -99", color::CConverter::kMarine, true, -99, 0},
        {" --fill forest --brightness 99", color::CConverter::kForest, false, 0, 99},
    };
    const std::string out = (dir / "coloured.bmp").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const CRun run = Cli("export '" + nanotop + "'" + settings + c.options + " --bmp '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::uint8_t> bmp = ReadBytes(out);
        ASSERT_EQ(bmp.size(), 54 + grid.size() * 4);
        EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 54, bmp.end()),
                  ScreenPixels(grid, columns, rows, c.fill, c.negative, c.contrast, c.brightness));
    }
}

TEST_F(CliTest, ExportNamesAnImageAfterItsNumberAndImageMagickReadsIt) {
    const CRun run = Cli("export '" + three + "' --image 2");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string path = (dir / "three-2.bmp").string();
    ASSERT_TRUE(fs::exists(path));
    if (std::system("command -v identify >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    std::FILE* pipe = ::popen(("identify -format '%m %w %h' '" + path + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char text[256] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, pipe);
    ::pclose(pipe);
    const std::string identified(text, n);
    EXPECT_EQ(identified.rfind("BMP", 0), 0u) << identified;
    EXPECT_NE(identified.find(" 6 4"), std::string::npos) << identified;
}

TEST_F(CliTest, ExportRefusesBadOptionsAndReportsWhatItCannotDo) {
    const std::string to = " --bmp '" + (dir / "x.bmp").string() + "'";
    for (const char* options :
         {" --fill pink", " --fill", " --contrast 100", " --brightness -100", " --contrast 1.5",
          " --contrast", " --out x.001", " --dump csv", " --raw", " --filter blur"})
        EXPECT_EQ(Cli("export '" + three + "'" + options + to).status, 2) << options;
    EXPECT_EQ(Cli("export").status, 2);
    EXPECT_EQ(Cli("export '" + three + "' --image 5" + to).status, 1);
    EXPECT_EQ(Cli("export '" + (dir / "missing.001").string() + "'" + to).status, 1);
    CRun run = Cli("export '" + three + "' --bmp '" + (dir / "no" / "such" / "x.bmp").string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    // A scan whose name already ends in .bmp is not written over.
    const std::string scan = (dir / "scan.bmp").string();
    fs::copy_file(one, scan);
    run = Cli("export '" + scan + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(ReadBytes(scan), ReadBytes(one));
}

namespace {

// The number after "key": in a JSON line (the first one), or NaN.
double JsonNumberAfter(const std::string& line, const std::string& key) {
    const std::size_t at = line.find("\"" + key + "\": ");
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(line.c_str() + at + key.size() + 4, nullptr);
}

// How many numbers the array after "key": holds.
std::size_t JsonArrayLength(const std::string& line, const std::string& key) {
    const std::size_t open = line.find("\"" + key + "\": [");
    if (open == std::string::npos)
        return 0;
    const std::size_t close = line.find(']', open);
    const std::string body = line.substr(open, close - open);
    return static_cast<std::size_t>(std::count(body.begin(), body.end(), ',')) + 1;
}

} // namespace

TEST_F(CliTest, StatsPrintsEachImagesRoughnessGraphsAndIsoHeights) {
    const std::string real = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    CRun run = Cli("stats '" + three + "' '" + real + "' --bins 16 --levels 9 --plane plane");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u); // three images, then two
    for (const std::string& line : lines) {
        SCOPED_TRACE(line.substr(0, 200));
        EXPECT_EQ(JsonArrayLength(line, "fractions"), 16u);
        EXPECT_EQ(JsonArrayLength(line.substr(line.find("\"bearing\"")), "fractions"), 9u);
        EXPECT_NE(line.find("\"caption\": \"Height histogram (\u2206H = "), std::string::npos);
        EXPECT_NE(line.find("\"caption\": \"Bearing curve (Hmax = "), std::string::npos);
        // Sz spans the highest peak to the lowest valley; Sa is Ra.
        const std::string iso = line.substr(line.find("\"iso25178\""));
        EXPECT_NEAR(JsonNumberAfter(iso, "sz\": {\"value"),
                    JsonNumberAfter(iso, "sp\": {\"value") + JsonNumberAfter(iso, "sv\": {\"value"),
                    1e-9 * 1e3);
        EXPECT_GT(JsonNumberAfter(line, "ks"), 1.0);
    }
    // The real scan's height image: skewed by its grains, the pane's text the number to two places.
    const std::string& height = lines[3];
    char text[32];
    std::snprintf(text, sizeof text, "\"sk_text\": \"%.2f\"", JsonNumberAfter(height, "sk"));
    EXPECT_NE(height.find(text), std::string::npos);

    // One image of each file, as a table in one unit.
    run = Cli("stats --csv --image 1 '" + three + "' '" + real + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> rows = Lines(run.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind("file,image,Ra", 0), 0u);
    EXPECT_NE(rows[1].find(",1,"), std::string::npos);

    // A missing image fails that file only; bad options are usage errors.
    run = Cli("stats --image 2 '" + three + "' '" + real + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.out).size(), 1u);
    EXPECT_NE(run.err.find("has no image 2"), std::string::npos);
    for (const char* bad : {"--bins 0", "--levels x", "--bins", "--frobnicate", ""}) {
        run = Cli(std::string("stats ") + bad + (std::strlen(bad) ? " '" + one + "'" : std::string()));
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(run.out.empty()) << bad;
    }
}

namespace {

// The processed surface of a command's scan as vantri-cli prints it.
std::vector<float> Processed(const std::string& args) {
    const CRun run = Cli("process " + args + " --dump f32le");
    std::vector<float> heights(run.out.size() / 4);
    std::memcpy(heights.data(), run.out.data(), heights.size() * 4);
    return heights;
}

// The facets of the solid of a grid whose edges stand above 0: two a cell, four a wall segment and the
// bottom's 2 (nx + ny) - 6.
std::uint64_t FacetsAboveZero(int nx, int ny) {
    return 2 * std::uint64_t(nx - 1) * (ny - 1) + 4 * std::uint64_t(nx + ny - 2) +
           2 * std::uint64_t(nx + ny) - 6;
}

} // namespace

TEST_F(CliTest, MeshWritesTheProcessedSurfaceAsAClosedSolid) {
    // A setting and another image, and the first image as it opens.
    const std::string out = (dir / "model.stl").string(), text = (dir / "model-text.stl").string();
    for (const std::string& args : {"'" + three + "' --image 2 --filter mean3", "'" + three + "'"}) {
        SCOPED_TRACE(args);
        CRun run = Cli("mesh " + args + " --stl '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const teststl::CStl stl = teststl::ReadStl(out);
        ASSERT_TRUE(stl.ok) << stl.error;
        const std::vector<float> h = Processed(args);
        ASSERT_EQ(h.size(), 24u);
        // An edge point at 0 is its own foot: the two wall triangles meeting there would have no area.
        std::uint64_t dropped = 0;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 6; ++j)
                if ((i == 0 || i == 3 || j == 0 || j == 5) && h[j + std::size_t(i) * 6] == 0)
                    dropped += 2;
        EXPECT_EQ(stl.count, FacetsAboveZero(6, 4) - dropped);
        const teststl::CSolid solid = teststl::CheckSolid(stl.facets);
        EXPECT_EQ(solid.openEdges, 0u);
        EXPECT_EQ(solid.degenerate, 0u);
        EXPECT_EQ(solid.wrongNormals, 0u);
        EXPECT_GT(solid.volume, 0.0);
        // The surface comes first, cell by cell, at the processed heights.
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 5; ++j) {
                const teststl::CFacet& f = stl.facets[2 * (j + 5 * i)];
                EXPECT_EQ(f.v[0], (teststl::CPoint{testmodel::X(j, 6), testmodel::Y(i, 4),
                                                   testmodel::Z(h[j + std::size_t(i) * 6], 6)}));
            }
        // The text form holds the same facets, and the same bytes in every locale.
        run = Cli("mesh " + args + " --ascii --stl '" + text + "'", "LC_ALL=C ");
        ASSERT_EQ(run.status, 0) << run.err;
        const teststl::CStl ascii = teststl::ReadStl(text);
        ASSERT_TRUE(ascii.ok && ascii.ascii) << ascii.error;
        ASSERT_EQ(ascii.facets.size(), stl.facets.size());
        EXPECT_EQ(
            std::memcmp(ascii.facets.data(), stl.facets.data(), stl.facets.size() * sizeof(teststl::CFacet)),
            0);
        const std::string c = teststl::ReadBytes(text);
        if (HasLocale("de_DE.UTF-8")) {
            ASSERT_EQ(Cli("mesh " + args + " --ascii --stl '" + text + "'", "LC_ALL=de_DE.UTF-8 ").status, 0);
            EXPECT_TRUE(teststl::ReadBytes(text) == c);
        }
    }
}

TEST_F(CliTest, MeshRefusesBadOptionsAndReportsWhatItCannotWrite) {
    const std::string to = " --stl '" + (dir / "m.stl").string() + "'";
    for (const std::string& options :
         {std::string(), std::string(" --stl"), to + " --image", to + " --image -1", to + " --image x",
          to + " --bmp", to + " --filter blur", to + " '" + one + "'"})
        EXPECT_EQ(Cli("mesh '" + three + "'" + options).status, 2) << options;
    EXPECT_EQ(Cli("mesh" + to).status, 2);
    // The scan itself is never written over.
    const std::string scan = teststl::ReadBytes(one);
    CRun run = Cli("mesh '" + one + "' --stl '" + one + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("would overwrite the scan itself"), std::string::npos) << run.err;
    EXPECT_TRUE(teststl::ReadBytes(one) == scan);

    EXPECT_EQ(Cli("mesh '" + three + "' --image 7" + to).status, 1);
    EXPECT_EQ(Cli("mesh '" + (dir / "missing.001").string() + "'" + to).status, 1);
    const fs::path nowhere = dir / "no" / "such" / "m.stl";
    run = Cli("mesh '" + three + "' --stl '" + nowhere.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Cannot create a file in " + nowhere.parent_path().string()), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(nowhere));
    EXPECT_FALSE(fs::exists(dir / "m.stl"));
}

namespace {

// The csv dump's numbers, row by row.
std::vector<float> CsvFloats(const std::string& text, int& lines) {
    std::vector<float> values;
    lines = 0;
    for (const std::string& line : Lines(text)) {
        ++lines;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            values.push_back(std::strtof(cell.c_str(), nullptr));
    }
    return values;
}

// The region of a texture as the dump writes it.
std::vector<float> Region(const fourier::CSpectralTexture& t) {
    std::vector<float> region;
    for (int y = 0; y < t.RegionHeight(); ++y)
        region.insert(region.end(), t.texels.begin() + y * t.width,
                      t.texels.begin() + y * t.width + t.RegionWidth());
    return region;
}

} // namespace

TEST_F(CliTest, SpectrumAndAcfPrintTheTexturesTheLibraryBuilds) {
    const std::string noWisdom = "VANTRI_FFTW_WISDOM=off ";
    for (const std::string& extra : {std::string(), std::string(" --max-texture 4")}) {
        SCOPED_TRACE(extra);
        const std::string args = "'" + three + "' --image 2 --filter mean3";
        const std::vector<float> heights = Processed(args);
        for (const std::string command : {"spectrum", "spectrum --linear", "acf"}) {
            SCOPED_TRACE(command);
            const CRun run = Cli(command + " " + args + extra, noWisdom);
            ASSERT_EQ(run.status, 0) << run.err;
            const std::string line = Lines(run.out).at(0);
            const int columns = static_cast<int>(JsonNumberAfter(line, "columns"));
            const int rows = static_cast<int>(JsonNumberAfter(line, "rows"));
            ASSERT_EQ(heights.size(), static_cast<std::size_t>(columns) * rows);
            fourier::CSpectralTexture t;
            const bool acf = command == "acf";
            const int max = extra.empty() ? 8192 : 4;
            ASSERT_EQ(
                acf ? fourier::BuildCorrelation(heights.data(), columns, rows, max, t)
                    : fourier::BuildSpectrum(heights.data(), columns, rows, max, command == "spectrum", t),
                0);
            EXPECT_EQ(JsonNumberAfter(line, "texture_width"), t.width);
            EXPECT_EQ(JsonNumberAfter(line, "texture_height"), t.height);
            EXPECT_EQ(JsonNumberAfter(line, "s_max"), t.uMax);
            EXPECT_EQ(JsonNumberAfter(line, "t_max"), t.vMax);
            EXPECT_EQ(JsonNumberAfter(line, "factor"), t.factor);
            EXPECT_NE(line.find(t.resampled ? "\"resampled\": true" : "\"resampled\": false"),
                      std::string::npos);
            EXPECT_EQ(t.resampled, !extra.empty());
            if (!acf) {
                EXPECT_EQ(JsonNumberAfter(line, "max_amplitude"), t.maxAmplitude);
                EXPECT_NE(line.find("\"max_at\": {\"column\": " + std::to_string(t.maxColumn) +
                                    ", \"row\": " + std::to_string(t.maxRow) + "}"),
                          std::string::npos)
                    << line;
                EXPECT_NE(line.find(command == "spectrum" ? "\"log\": true" : "\"log\": false"),
                          std::string::npos);
            } else {
                EXPECT_EQ(line.find("max_at"), std::string::npos);
            }
            int lines = 0;
            const CRun csv = Cli(command + " " + args + extra + " --dump csv", noWisdom);
            ASSERT_EQ(csv.status, 0) << csv.err;
            EXPECT_EQ(CsvFloats(csv.out, lines), Region(t));
            EXPECT_EQ(lines, t.RegionHeight());
            const CRun f32 = Cli(command + " " + args + extra + " --dump f32le", noWisdom);
            std::vector<float> raw(f32.out.size() / 4);
            std::memcpy(raw.data(), f32.out.data(), raw.size() * 4);
            EXPECT_EQ(raw, Region(t));
        }
    }
}

TEST_F(CliTest, SpectrumAndAcfRefuseBadOptions) {
    for (const std::string& options :
         {std::string(" --max-texture 3"), std::string(" --max-texture 1"), std::string(" --max-texture"),
          std::string(" --max-texture x"), std::string(" --dump"), std::string(" --dump png"),
          std::string(" --image -1"), std::string(" --filter blur"), " '" + one + "'",
          std::string(" --stl x")}) {
        EXPECT_EQ(Cli("spectrum '" + three + "'" + options).status, 2) << options;
        EXPECT_EQ(Cli("acf '" + three + "'" + options).status, 2) << options;
    }
    EXPECT_EQ(Cli("acf '" + three + "' --linear").status, 2);
    EXPECT_EQ(Cli("spectrum").status, 2);
    EXPECT_EQ(Cli("spectrum '" + three + "' --image 7").status, 1);
    EXPECT_EQ(Cli("acf '" + (dir / "missing.001").string() + "'").status, 1);
}

TEST_F(CliTest, ProfilePrintsWhatTheWindowSamples) {
    const std::string real = "'" + std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007'";
    // A 256 x 256 scan, a line across its middle in a window 260 pixels wide: 201 samples, 1.28 apart.
    const std::string across = " --from -128,0 --to 128,0 --width 260";
    const std::string line = Lines(Cli("profile " + real + across).out).at(0);
    EXPECT_EQ(JsonNumberAfter(line, "length"), 256.0);
    EXPECT_EQ(JsonNumberAfter(line, "spacing"), 1.28);
    const std::string samples = line.substr(line.find("\"samples\""));
    EXPECT_EQ(std::count(samples.begin(), samples.begin() + samples.find("]]"), '['), 1 + 201);
    EXPECT_NE(line.find("\"markers\": [84.48, 170.24]"), std::string::npos) << line;
    EXPECT_NE(line.find("\"panes\": [\" X1:\", \"660.0 nm\""), std::string::npos) << line;
    // Without the cut sector the bar of the extremes, whose minimum reads 0 while normalised.
    const std::string extremes = Lines(Cli("profile " + real + across + " --no-cut --markers 1,2").out).at(0);
    EXPECT_NE(extremes.find("\"panes\": [\"MIN:\", \" x\""), std::string::npos) << extremes;
    EXPECT_NE(extremes.find("\" y\", \"0.000 "), std::string::npos) << extremes;
    // Markers put past the end stop one sample short of it.
    const std::string moved = Lines(Cli("profile " + real + across + " --markers -5,1000").out).at(0);
    EXPECT_NE(moved.find("\"markers\": [0, 254.72]"), std::string::npos) << moved;

    // The samples in physical units: the normalised minimum is 0 nm.
    const std::vector<std::string> table = Lines(Cli("profile " + real + across + " --csv").out);
    ASSERT_EQ(table.size(), 202u);
    EXPECT_EQ(table[0], "distance (\u00B5m),height (nm)");
    EXPECT_EQ(table[1].substr(0, 2), "0,");
    EXPECT_EQ(table.back().substr(0, 2), "2,");
    double lowest = 1e9;
    for (std::size_t k = 1; k < table.size(); ++k)
        lowest = std::min(lowest, std::stod(table[k].substr(table[k].find(',') + 1)));
    EXPECT_EQ(lowest, 0.0);

    // A line of no length, and what is refused.
    const std::string point = Lines(Cli("profile '" + three + "' --from 1,1 --to 1,1 --width 100").out).at(0);
    EXPECT_EQ(JsonNumberAfter(point, "length"), 0.0);
    EXPECT_EQ(point.find("nan"), std::string::npos);
    for (const std::string options :
         {" --from 0,0 --width 100", " --from 0,0 --to 1,1", " --from 0 --to 1,1 --width 100",
          " --from 0,0 --to 1,1 --width 60", " --from 0,0 --to 1,1 --width 100 --markers 1"})
        EXPECT_EQ(Cli("profile '" + three + "'" + options).status, 2) << options;
}
