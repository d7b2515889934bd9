// The core stays free of Qt, and libraries use only those to their left:
// processing, framework core -> model -> formats, analysis core -> view3d core -> view2d core -> cli.
// The Qt side sits over the core: framework/qt -> view3d/qt -> view2d/qt, analysis/qt -> app.
// The thumbnailer reads the formats on its own, and nothing else uses it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
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
    {"analysis", {"analysis", "model", "framework", "processing"}},
    {"view3d", {"view3d", "formats", "model", "framework", "processing"}},
    {"view2d", {"view2d", "view3d", "formats", "model", "framework", "processing"}},
    {"cli", {"cli", "analysis", "view2d", "view3d", "formats", "model", "framework", "processing"}},
};

// The cores every window folder may use: all but the command-line tool.
const std::set<std::string> kCores = {"processing", "framework", "model",   "formats",
                                      "view3d",     "view2d",    "analysis"};

std::set<std::string> With(std::set<std::string> names, const std::set<std::string>& more) {
    names.insert(more.begin(), more.end());
    return names;
}

// For each Qt folder (a folder's qt/, and app), the Qt folders its includes may name besides the cores.
// The dialogs of processing and formats stand on the framework's glue beside the view base.
const std::map<std::string, std::set<std::string>> kAllowedQt = {
    {"framework/qt", {"framework/qt"}},
    {"processing/qt", {"processing/qt", "framework/qt"}},
    {"formats/qt", {"formats/qt", "framework/qt"}},
    {"view3d/qt", {"view3d/qt", "framework/qt"}},
    {"view2d/qt", {"view2d/qt", "view3d/qt", "framework/qt"}},
    {"analysis/qt", {"analysis/qt", "view2d/qt", "view3d/qt", "framework/qt"}},
    {"app", {"app", "analysis/qt", "view2d/qt", "view3d/qt", "formats/qt", "processing/qt", "framework/qt"}},
};

const fs::path kSrc = fs::path(VANTRI_SOURCE_DIR) / "src";

bool InQt(const fs::path& p) {
    return p.string().find("/qt/") != std::string::npos;
}

// Calls check(file, line, header) for every include of the C++ files below folder that pass the
// filter; returns how many files were read. A folder not there yet has none.
int ForEachInclude(
    const fs::path& folder, const std::function<bool(const fs::path&)>& filter,
    const std::function<void(const fs::path&, const std::string&, const std::string&)>& check) {
    static const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    if (!fs::exists(folder))
        return 0;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::path p = entry.path();
        if (!entry.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp") || !filter(p))
            continue;
        ++files;
        std::ifstream in(p);
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_search(line, m, include))
                check(p, line, m[1]);
        }
    }
    return files;
}

// The src/ folder an include names ("view2d", or "view2d/qt" for its Qt side), or "" for a header
// from elsewhere.
std::string FolderOf(const std::string& header) {
    const auto slash = header.find('/');
    if (slash == std::string::npos)
        return "";
    const std::string first = header.substr(0, slash);
    if (!fs::is_directory(kSrc / first))
        return "";
    return header.compare(slash, 4, "/qt/") == 0 ? first + "/qt" : first;
}

bool IsQtHeader(const std::string& header) {
    return header.rfind("Q", 0) == 0 || header.rfind("qt", 0) == 0;
}

} // namespace

TEST(Layering, CoreFoldersIncludeNoQtAndOnlyTheirLeftNeighbours) {
    int files = 0;
    for (const auto& [folder, allowed] : kAllowed)
        files += ForEachInclude(
            kSrc / folder, [](const fs::path& p) { return !InQt(p); },
            [&allowed = allowed](const fs::path& p, const std::string& line, const std::string& header) {
                SCOPED_TRACE(p.string() + ": " + line);
                EXPECT_FALSE(IsQtHeader(header)) << "a Qt header in the core";
                const std::string used = FolderOf(header);
                if (used.empty())
                    return;
                EXPECT_EQ(used.find("/qt"), std::string::npos) << "a Qt folder's header in the core";
                EXPECT_TRUE(allowed.count(used)) << "an include against the layering";
            });
    EXPECT_GT(files, 10);
}

TEST(Layering, QtFoldersIncludeTheCoresAndOnlyTheQtFoldersToTheirLeft) {
    int files = 0;
    for (const auto& [folder, qt] : kAllowedQt) {
        const std::set<std::string> allowed = With(qt, kCores);
        files += ForEachInclude(
            kSrc / folder, [](const fs::path&) { return true; },
            [&](const fs::path& p, const std::string& line, const std::string& header) {
                const std::string used = FolderOf(header);
                SCOPED_TRACE(p.string() + ": " + line);
                EXPECT_TRUE(used.empty() || allowed.count(used)) << "an include against the layering";
            });
    }
    EXPECT_GT(files, 30);
}

TEST(Layering, TheThumbnailerStandsApart) {
    // It includes nothing of the rest of src/...
    const int files = ForEachInclude(
        kSrc / "thumbnails", [](const fs::path&) { return true; },
        [](const fs::path& p, const std::string& line, const std::string& header) {
            const std::string used = FolderOf(header);
            SCOPED_TRACE(p.string() + ": " + line);
            EXPECT_TRUE(used.empty() || used.rfind("thumbnails", 0) == 0)
                << "the thumbnailer uses another folder";
        });
    EXPECT_GT(files, 3);
    // ...and nothing of the rest includes it.
    for (const auto& entry : fs::directory_iterator(kSrc)) {
        if (!entry.is_directory() || entry.path().filename() == "thumbnails")
            continue;
        ForEachInclude(
            entry.path(), [](const fs::path&) { return true; },
            [](const fs::path& p, const std::string& line, const std::string& header) {
                SCOPED_TRACE(p.string() + ": " + line);
                EXPECT_NE(FolderOf(header).rfind("thumbnails", 0), 0u) << "the thumbnailer used from outside";
            });
    }
}
