#pragma once
// A fresh folder, an application with the three scan types and a recorder of message boxes, for
// the reader tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/NanoScopeGen.h"
#include "formats/DocTypes.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "model/VantriDoc.h"

namespace testreader {

namespace fs = std::filesystem;

inline const std::wstring kPrefix = L"This file can not be open, because \n";

inline std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VANTRI_TEST_OUT) /
              (std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        doc::RegisterDocTypes(app);
    }

    fs::path WriteBytes(const std::string& bytes, const std::string& name) {
        testdata::WriteFile((dir / name).string(), bytes);
        return dir / name;
    }
    // Opens a file as the application does; returns its group, first image first.
    template <typename Doc = doc::CVantriDoc> std::vector<Doc*> OpenAs(const fs::path& path) {
        auto* first = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path.string())));
        std::vector<Doc*> group;
        if (first)
            for (doc::CVantriDoc* d : first->GroupDocuments())
                group.push_back(dynamic_cast<Doc*>(d));
        return group;
    }
    void CloseAll() { app.GetDocManager().CloseAllDocuments(); }

    fs::path dir;
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    doc::CSurfaceApp app;
};

} // namespace testreader
