// The core stays free of Qt, and libraries use only those to their left:
// processing, framework core -> model -> formats -> view3d core -> view2d core -> cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace {

namespace fs = std::filesystem;

// For each Qt-free folder, the folders its includes may name.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"processing", {"processing"}},
    {"framework", {"framework"}},
    {"model", {"model", "framework", "processing"}},
    {"formats", {"formats", "model", "framework", "processing"}},
    {"view3d", {"view3d", "formats", "model", "framework", "processing"}},
    {"view2d", {"view2d", "view3d", "formats", "model", "framework", "processing"}},
    {"cli", {"cli", "view2d", "view3d", "formats", "model", "framework", "processing"}},
};

} // namespace

TEST(Layering, CoreFoldersIncludeNoQtAndOnlyTheirLeftNeighbours) {
    const fs::path src = fs::path(VANTRI_SOURCE_DIR) / "src";
    const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    int files = 0;
    for (const auto& [folder, allowed] : kAllowed) {
        for (const auto& entry : fs::recursive_directory_iterator(src / folder)) {
            const fs::path p = entry.path();
            if (!entry.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp"))
                continue;
            if (p.string().find("/qt/") != std::string::npos)
                continue; // the window-layer glue of a folder
            ++files;
            std::ifstream in(p);
            for (std::string line; std::getline(in, line);) {
                std::smatch m;
                if (!std::regex_search(line, m, include))
                    continue;
                const std::string header = m[1];
                SCOPED_TRACE(p.string() + ": " + line);
                EXPECT_FALSE(header.rfind("Q", 0) == 0 || header.rfind("qt", 0) == 0)
                    << "a Qt header in the core";
                const auto slash = header.find('/');
                if (slash != std::string::npos && kAllowed.count(header.substr(0, slash))) {
                    EXPECT_TRUE(allowed.count(header.substr(0, slash))) << "an include against the layering";
                }
            }
        }
    }
    EXPECT_GT(files, 10);
}
