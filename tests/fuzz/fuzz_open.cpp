// Opens arbitrary bytes as a scan file through the whole open sequence (every image of the group),
// and saves every image that opened twice, under a new name and then onto itself, as a user would. The file's
// extension, VANTRI_FUZZ_EXTENSION, routes it to the reader under test.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "formats/DocTypes.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "model/VantriDoc.h"

namespace {
struct CSetup {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope{recorder};
    doc::CSurfaceApp app;
    std::string dir;
    CSetup() {
        doc::RegisterDocTypes(app);
        char name[] = "/tmp/vantri-fuzz-XXXXXX";
        dir = ::mkdtemp(name) ? name : "/tmp";
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CSetup setup;
    const std::string path = setup.dir + "/input" VANTRI_FUZZ_EXTENSION;
    const std::string saved = setup.dir + "/saved" VANTRI_FUZZ_EXTENSION;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    if (auto* first = dynamic_cast<doc::CVantriDoc*>(setup.app.OpenDocumentFile(fw::FromUtf8(path)))) {
        for (doc::CVantriDoc* doc : first->GroupDocuments()) {
            if (doc->OnFileSaveAs(fw::FromUtf8(saved)))
                doc->DoFileSave();
        }
        ::unlink(saved.c_str());
    }
    setup.app.GetDocManager().CloseAllDocuments();
    setup.app.TakeArrangeMark();
    setup.recorder.boxes.clear();
    return 0;
}
