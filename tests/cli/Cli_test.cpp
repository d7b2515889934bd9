#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"

namespace {

namespace fs = std::filesystem;

struct CRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs vantri-cli with its arguments (already quoted for the shell).
CRun Cli(const std::string& args) {
    // CTest runs tests in parallel: each test has its own file for standard error.
    const fs::path err = fs::path(VANTRI_TEST_OUT) /
                         ("stderr_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
    const std::string command = std::string(VANTRI_CLI) + " " + args + " 2>" + err.string() + " </dev/null";
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
        dir = fs::path(VANTRI_TEST_OUT) / ("cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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
        EXPECT_EQ(lines[k].rfind("{\"file\": \"" + three + "\", \"format\": \"NanoScope III\", \"group\": 0, \"image\": " +
                                     std::to_string(k) + ", \"title\": \"three.001",
                                 0),
                  0u);
        EXPECT_NE(lines[k].find(titles[k]), std::string::npos);
        EXPECT_NE(lines[k].find("\"columns\": 6, \"rows\": 4, \"raw_columns\": 6, \"raw_rows\": 4"), std::string::npos);
        EXPECT_NE(lines[k].find("\"width\": {\"value\": 2.5, \"unit\": \"\xC2\xB5m\", \"text\": \"2.50 \xC2\xB5m\"}"),
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
    EXPECT_EQ(run.err, "This file can not be open, because \nfile format versions lower as 4.30 is not support, as yet.\n");
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
    EXPECT_EQ(Cli("process '" + three + "' --out '" + (dir / "no" / "such" / "dir.001").string() + "'").status, 1);
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
    for (const char* name : {"mean5", "mean7", "median3", "median3x1", "median1x3", "median5", "median5x1",
                             "median1x5", "laplace3", "laplace5", "gauss3", "gauss5", "highpass3", "highpass5",
                             "lowpass3", "lowpass5"})
        EXPECT_EQ(Cli("process '" + one + "' --filter " + name + " --dump f32le").status, 0) << name;
    EXPECT_EQ(Cli("process '" + one + "' --filter blur --dump csv").status, 2);
    EXPECT_EQ(Cli("process '" + one + "' --filter median:4x4@5,0 --dump csv").status, 2);
    EXPECT_EQ(Cli("process '" + one + "' --plane plane").status, 2);
}

TEST_F(CliTest, ARefusedCustomKernelIsReportedAndTheCommandGoesOn) {
    const CRun run = Cli("process '" + one + "' --filter median:4x3 --dump csv");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Invalid mask size\n");
    EXPECT_EQ(Lines(run.out).size(), 16u);
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
    EXPECT_NE(lines[1].find("\"format\": \"NT-MDT\", \"group\": 0, \"image\": 1, \"title\": \"frames.mdt -2- \""),
              std::string::npos);
    EXPECT_NE(lines[2].find("\"format\": \"NANOTOP-205\", \"group\": 0, \"image\": 0, \"title\": \"scan.SPM\""),
              std::string::npos);
    EXPECT_NE(lines[2].find("\"columns\": 8, \"rows\": 8, \"raw_columns\": 10, \"raw_rows\": 10"), std::string::npos);

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
