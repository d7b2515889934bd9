#pragma once
// The surface document: the raw scan as read, the correction settings, and the processed surface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/fwDocument.h"
#include "model/Chain.h"
#include "model/DataDoc.h"
#include "model/FileIndex.h"
#include "model/SurfaceCommands.h"
#include "model/UpdateHint.h"
#include "processing/ChainStages.h"
#include "processing/Filter.h"
#include "processing/Morphology.h"
#include "processing/PlaneFit.h"
#include "processing/Preprocessor.h"

namespace fw {
class CArchive;
}

namespace doc {

class CVantriDocTemplate;

// Asks the user for the kernel of a custom filter or morphology before the command applies it.
// The window layer implements it with its kernel dialog; without one, custom commands do nothing.
class IKernelPrompt {
public:
    virtual ~IKernelPrompt() = default;
    // Shows values (the dialog's memory); true when the user confirmed, with values changed to what
    // was chosen. On false nothing may be changed.
    virtual bool PromptKernel(CKernelDialogValues& values) = 0;
};
IKernelPrompt* SetKernelPrompt(IKernelPrompt* prompt);

class CVantriDoc : public fw::CDocument, public CDataDoc {
public:
    CVantriDoc();
    ~CVantriDoc() override;

    // The number of the file-open that created this document, and the image of the file it shows.
    int group = 0;
    int image = 0;
    // The scale of the 2D window, once one was opened for the document; 0 before.
    float m_f2DScale = 0.0f;

    // The raw scan, line after line in file order. Whatever changes it other than ReadRaw calls
    // RawChanged.
    TGrid<std::int16_t> m_raw;
    int m_rawColumns = 0;
    int m_rawRows = 0;
    void RawChanged() { ++m_rawVersion; }

    // Correction settings; every command re-runs the chain with them, from the first stage whose
    // setting changed.
    CPreprocessor m_preprocessor;
    bool m_bJumps = false;
    Flattening m_nFlatting = Flattening::None;
    CPlaneFit m_planeFit;
    CMorphology m_morphology;
    CFilter m_filter;
    // The "Normalize" command's state: once requested, the same offset and span apply on every run.
    CNormalizeState m_normalize;

    // Copies the template's group and image counters into group and image.
    virtual void BeginLoad();
    // Arms the open of the next image of the file when there is one; otherwise advances the group
    // counter. Returns whether a next image exists.
    virtual bool PrepareNextImage();
    // Rebuilds the processed surface and the three sizes from the raw grid.
    virtual void Reprocess() {}
    // The file offset where image k's description starts, or -1 when the file has no such image.
    virtual long long FindImage(int k);
    // The image of the file to open after image k, or -1 when k is the last; by default k + 1 when
    // FindImage finds it. A reader whose files hold images it skips passes over them here.
    virtual int NextImage(int k);
    // How many images an open would show from image k on, k included.
    int ImagesFrom(int k);
    // The index of the whole file that the next image of the same open may take over; none by default.
    virtual std::shared_ptr<const CFileIndex> GroupIndex() const { return nullptr; }

    bool OnOpenDocument(const std::wstring& path) override;
    // Loads or stores through Load and Store; a reader's failure is shown to the user and rethrown.
    void Serialize(fw::CArchive& ar) override;

    // The scan format's name, and the kind of data this image holds (empty where the format has none).
    virtual std::wstring FormatName() const { return std::wstring(); }
    virtual std::wstring ImageType() const { return std::wstring(); }

    // Runs the chain with the current settings into the processed grid and returns the factor f: the
    // raw counts that the value 1.0 stands for.
    double RunChain();
    // The chain's runs and what they keep. The run of the open keeps nothing; from the first
    // Surface-menu change on, the document keeps what its stages made.
    CChain& Chain() { return m_chain; }

    // The processed surface as 16-bit counts centred on zero, trunc((h - 0.5) x 65535), at the same
    // column and row of a copy of the raw grid; raw cells outside the processed grid keep their counts.
    TGrid<std::int16_t> CentredCounts() const;

    // Surface-menu and file commands; false when the id is not the document's.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CCmdState& state) const override;
    // Save As: saves under path (asks when it is empty); then every other document of the group takes
    // the new path.
    bool OnFileSaveAs(const std::wstring& path = std::wstring());
    // Save: the first time it would write over the file the scan was read from, asks whether to
    // replace the measurement with the corrected surface, or to save under a new name instead.
    bool DoFileSave() override;

    CVantriDocTemplate* GetVantriTemplate() const;
    // The open documents of the same file-open, this one included, in the order they were opened.
    std::vector<CVantriDoc*> GroupDocuments() const;

    // The next image of the file being opened, armed by the image before it. The application opens
    // it once that image's open has returned, one image after another.
    struct CPendingImage {
        bool armed = false;
        std::wstring path;
        fw::CDocTemplate* docTemplate = nullptr;
        int image = 0;
        CVantriDoc* previous = nullptr; // the image that armed it, while it exists
        std::shared_ptr<const CFileIndex> index;
    };
    static CPendingImage s_pending;

protected:
    // Reads columns x rows little-endian 16-bit counts from the archive's position into the raw grid.
    // False on a short read, with the raw grid left as it was.
    bool ReadRaw(fw::CArchive& ar, int columns, int rows);
    // The index the previous image of this open handed on, if it was made from a file of this length.
    std::shared_ptr<const CFileIndex> TakeGroupIndex(std::uint64_t length);
    virtual void Load(fw::CArchive&) {}
    virtual void Store(fw::CArchive&) {}

private:
    // Stores a Surface-menu choice and rebuilds; a choice other than none marks the document modified.
    template <typename Setting> void ApplySetting(Setting& setting, Setting value) {
        setting = value;
        SettingChanged(value != Setting::None);
    }
    void SettingChanged(bool modified);
    // The path being loaded; the document owns it only once the load returned.
    std::wstring m_strLoadPath;
    // The file the scan was read from, and whether the user agreed to write over it.
    std::wstring m_strSource;
    bool m_bReplaceAgreed = false;
    CChain m_chain;
    std::uint64_t m_rawVersion = 0;
};

} // namespace doc
