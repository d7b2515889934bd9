// File names reach vantri-cli as the system's bytes, also those that are not UTF-8, and its JSON stays
// valid UTF-8 text while naming them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/Json.h"
#include "data/NanoScopeGen.h"
#include "framework/fwText.h"

namespace {

namespace fs = std::filesystem;

// Runs vantri-cli; its standard output goes to the file out.
int Cli(const std::string& args, const fs::path& out = "/dev/null") {
    const std::string command =
        std::string(VANTRI_CLI) + " " + args + " >'" + out.string() + "' 2>/dev/null </dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsUtf8(const std::string& bytes) {
    for (wchar_t c : fw::FromUtf8(bytes))
        if (c >= 0xDC80 && c <= 0xDCFF)
            return false;
    return true;
}

} // namespace

TEST(CliPaths, JsonNamesEveryByteInValidText) {
    EXPECT_EQ(cli::JsonString(fw::FromUtf8("scan-\xB5m\xFF.001")), "\"scan-\\udcb5m\\udcff.001\"");
    EXPECT_EQ(cli::JsonString(L"\u00B5m \"q\"\\\n\t\x01"), "\"\xC2\xB5m \\\"q\\\"\\\\\\n\\t\\u0001\"");
    // Other lone surrogates have no bytes at all.
    EXPECT_EQ(cli::JsonString(L"a\xD800"), "\"a\xEF\xBF\xBD\"");
}

TEST(CliPaths, InfoAndProcessReachAFileWhoseNameIsNotUtf8) {
    const fs::path dir = fs::path(VANTRI_TEST_OUT) / "cli_paths";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string scan = (dir / "scan-\xB5m\xFF.001").string();
    testdata::WriteFile(scan, testdata::MakeNanoScope(testdata::NsFile{}));

    EXPECT_EQ(Cli("info '" + scan + "'", dir / "info.json"), 0);
    std::ifstream in(dir / "info.json", std::ios::binary);
    const std::string json(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(json.find("scan-\\udcb5m\\udcff.001\""), std::string::npos) << json;
    EXPECT_TRUE(IsUtf8(json));

    const std::string out = (dir / "out-\xFE.002").string();
    EXPECT_EQ(Cli("process '" + scan + "' --out '" + out + "'"), 0);
    EXPECT_EQ(Cli("info '" + out + "'"), 0);
}
