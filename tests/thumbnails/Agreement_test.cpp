// The thumbnail extractors parse the three formats on their own; here their first image is held
// against the readers' raw grid, on generated files and on the real ones the readers open.
#include <cstdio>
#include <gtest/gtest.h>

#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "formats/ReaderFixture.h"
#include "thumbnails/Render.h"

namespace {

namespace fs = std::filesystem;

class Agreement : public testreader::CReaderTest {
protected:
    // The file's first image as the extractor reads it and as the application opens it: the same
    // size and the same samples.
    void ExpectSameFirstImage(const fs::path& path, thumbs::Format format) {
        SCOPED_TRACE(path.filename().string());
        thumbs::CSamples extracted;
        std::FILE* file = std::fopen(path.string().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        const thumbs::Result result = thumbs::FirstImage(format, file, extracted);
        std::fclose(file);
        const std::vector<doc::CVantriDoc*> group = OpenAs(path);
        ASSERT_FALSE(group.empty()) << "the reader refuses it";
        const doc::CVantriDoc& read = *group.front();
        ASSERT_EQ(result, thumbs::kOk) << "the extractor refuses it";
        EXPECT_EQ(extracted.columns, static_cast<std::uint64_t>(read.m_rawColumns));
        EXPECT_EQ(extracted.rows, static_cast<std::uint64_t>(read.m_rawRows));
        const std::vector<std::int32_t> raw(read.m_raw.begin(), read.m_raw.end());
        ASSERT_EQ(extracted.values.size(), raw.size());
        const auto differ = std::mismatch(raw.begin(), raw.end(), extracted.values.begin());
        EXPECT_TRUE(differ.first == raw.end()) << "sample " << (differ.first - raw.begin()) << ": read "
                                               << *differ.first << ", extracted " << *differ.second;
        CloseAll();
    }
};

TEST_F(Agreement, NanoScopeFilesOfSeveralSizesAndImages) {
    const std::pair<int, int> sizes[] = {{16, 16}, {256, 128}, {77, 33}, {1, 300}};
    int n = 0;
    for (const auto& [columns, rows] : sizes)
        for (int images : {1, 3}) {
            testdata::NsFile file;
            file.images.clear();
            for (int k = 0; k < images; ++k) {
                testdata::NsImage image;
                // Later images of other sizes, so that the first one's section must be the one taken.
                image.columns = columns + 3 * k;
                image.rows = rows + k;
                image.type = k == 0 ? "Height" : "Amplitude";
                image.seed = static_cast<std::uint32_t>(n + k + 1);
                file.images.push_back(image);
            }
            const std::string name = "scan" + std::to_string(n++) + ".001";
            ExpectSameFirstImage(WriteBytes(testdata::MakeNanoScope(file), name), thumbs::Format::kNanoScope);
        }
}

// From version 9.2 both narrow a 32-bit first image to the same 16-bit counts.
TEST_F(Agreement, NanoScopeThirtyTwoBitImages) {
    testdata::NsFile file;
    file.version = "0x09200000";
    testdata::NsImage& image = file.images[0];
    image.columns = 77;
    image.rows = 33;
    image.bytesPerPixel = 4;
    for (std::int16_t v : testdata::PatternSamples(image.columns, image.rows, 5))
        image.wideSamples.push_back(v * 1001 + v % 7);
    ExpectSameFirstImage(WriteBytes(testdata::MakeNanoScope(file), "wide.001"), thumbs::Format::kNanoScope);
}

class NtMdtAgreement : public Agreement {
protected:
    // Files of scans of several sizes, each the first scanned frame after `texts` text frames.
    void ExpectScansAfterTexts(int texts) {
        const std::pair<int, int> sizes[] = {{16, 16}, {256, 128}, {77, 33}};
        int n = 0;
        for (const auto& [columns, rows] : sizes) {
            testdata::MdtFile file;
            file.frames.assign(static_cast<std::size_t>(texts), testdata::MdtFrame{});
            for (testdata::MdtFrame& text : file.frames)
                text.type = 3;
            testdata::MdtFrame scan;
            scan.columns = columns;
            scan.rows = rows;
            scan.seed = static_cast<std::uint32_t>(n + 1);
            file.frames.push_back(scan);
            const std::string name = "frames" + std::to_string(n++) + ".mdt";
            ExpectSameFirstImage(WriteBytes(testdata::MakeNtMdt(file), name), thumbs::Format::kNtMdt);
        }
    }
};

// Only files that start with a scan: the thumbnail is the file's first frame whatever its type, while
// the reader passes over text frames to the first scan.
TEST_F(NtMdtAgreement, FilesOfSeveralSizes) {
    ExpectScansAfterTexts(0);
}

TEST_F(Agreement, NanotopFilesOfSeveralSizes) {
    const std::pair<int, int> sizes[] = {{16, 16}, {256, 128}, {77, 33}, {1024, 1024}};
    int n = 0;
    for (const auto& [columns, rows] : sizes) {
        testdata::SpmFile file;
        file.columns = columns;
        file.rows = rows;
        file.seed = static_cast<std::uint32_t>(n + 1);
        const std::string name = "scan" + std::to_string(n++) + ".spm";
        ExpectSameFirstImage(WriteBytes(testdata::MakeSpm(file), name), thumbs::Format::kNanotop);
    }
}

// Each real file the reader opens, with the format the thumbnailer would give it: by its name, or
// else by its first bytes.
TEST_F(Agreement, RealFilesTheReaderOpens) {
    int compared = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(VANTRI_TEST_DATA) / "real")) {
        const fs::path path = entry.path();
        if (path.extension() == ".md")
            continue;
        if (OpenAs(path).empty())
            continue;
        CloseAll();
        thumbs::Format format;
        if (!thumbs::FormatFromName(path.filename().string().c_str(), format)) {
            const std::string head = testreader::ReadAll(path).substr(0, 16);
            ASSERT_TRUE(thumbs::FormatFromMagic(reinterpret_cast<const std::uint8_t*>(head.data()),
                                                head.size(), format))
                << path.filename().string();
        }
        ExpectSameFirstImage(path, format);
        ++compared;
    }
    EXPECT_GE(compared, 1) << "scilab4spm__data1.007 at least";
}

} // namespace
