#include "model/VantriDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "framework/fwApp.h"
#include "framework/fwArchive.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/DocException.h"
#include "model/SurfaceApp.h"
#include "model/VantriDocTemplate.h"
#include "processing/kernels/Kernels.h"

namespace doc {

CVantriDoc::CPendingImage CVantriDoc::s_pending;

namespace {
IKernelPrompt* g_kernelPrompt = nullptr;

template <typename Setting> struct TChoice {
    int id;
    Setting value;
    bool custom;
};

// The four radio groups of the Surface menu.
using F = FilterType;
const TChoice<FilterType> kFilters[] = {
    {ID_FILTER_NONE, F::None, false},
    {ID_FILTER_MEAN3, F::Mean3, false},
    {ID_FILTER_MEAN5, F::Mean5, false},
    {ID_FILTER_MEAN7, F::Mean7, false},
    {ID_FILTER_MEAN_CUSTOM, F::MeanCustom, true},
    {ID_FILTER_MEDIAN3, F::Median3, false},
    {ID_FILTER_MEDIAN3H, F::Median3x1, false},
    {ID_FILTER_MEDIAN3V, F::Median1x3, false},
    {ID_FILTER_MEDIAN5, F::Median5, false},
    {ID_FILTER_MEDIAN5H, F::Median5x1, false},
    {ID_FILTER_MEDIAN5V, F::Median1x5, false},
    {ID_FILTER_MEDIAN_CUSTOM, F::MedianCustom, true},
    {ID_FILTER_LAPLACE3, F::Laplace3, false},
    {ID_FILTER_LAPLACE5, F::Laplace5, false},
    {ID_FILTER_GAUSS3, F::Gauss3, false},
    {ID_FILTER_GAUSS5, F::Gauss5, false},
    {ID_FILTER_HIPASS3, F::HighPass3, false},
    {ID_FILTER_HIPASS5, F::HighPass5, false},
    {ID_FILTER_LOWPASS3, F::LowPass3, false},
    {ID_FILTER_LOWPASS5, F::LowPass5, false},
    {ID_FILTER_SHARPEN, F::Sharpen, false},
};
const TChoice<MorphOp> kMorphology[] = {
    {ID_MORPH_NONE, MorphOp::None, false},
    {ID_MORPH_DILATE3, MorphOp::Dilate3, false},
    {ID_MORPH_ERODE3, MorphOp::Erode3, false},
    {ID_MORPH_DILATE_CUSTOM, MorphOp::DilateCustom, true},
    {ID_MORPH_ERODE_CUSTOM, MorphOp::ErodeCustom, true},
};
const TChoice<PlaneModel> kPlanes[] = {
    {ID_PLANE_NONE, PlaneModel::None, false},
    {ID_PLANE_PLANE, PlaneModel::Plane, false},
    {ID_PLANE_PARABOLA_X, PlaneModel::ParabolaX, false},
    {ID_PLANE_PARABOLA_Y, PlaneModel::ParabolaY, false},
    {ID_PLANE_PARABOLOID, PlaneModel::Paraboloid, false},
};
const TChoice<Flattening> kFlattings[] = {
    {ID_FLAT_NONE, Flattening::None, false},
    {ID_FLAT_Y, Flattening::OnY, false},
    {ID_FLAT_X, Flattening::OnX, false},
    {ID_FLAT_YX, Flattening::OnYX, false},
};

template <typename Setting, std::size_t N>
const TChoice<Setting>* FindChoice(const TChoice<Setting> (&table)[N], int id) {
    for (const TChoice<Setting>& c : table)
        if (c.id == id)
            return &c;
    return nullptr;
}

// A custom choice first asks for its kernel; false when the user did not confirm one. The dialog starts
// from its own memory, and only a confirmed choice changes anything.
template <typename Setting>
bool TakeKernel(const TChoice<Setting>& choice, CKernelDialogValues& memory, CKernelGeometry& kernel) {
    if (!choice.custom)
        return true;
    CKernelDialogValues values = memory;
    if (!g_kernelPrompt || !g_kernelPrompt->PromptKernel(values))
        return false;
    memory = values;
    kernel = CKernelGeometry{values.width, values.height, values.anchorX, values.anchorY};
    return true;
}

// The state of a command of a radio group, checked when it is the current choice; false when the
// command is not the group's.
template <typename Setting> bool Radio(const TChoice<Setting>* choice, Setting setting, CCmdState& state) {
    if (!choice)
        return false;
    state.radio = true;
    state.checked = choice->value == setting;
    return true;
}
} // namespace

IKernelPrompt* SetKernelPrompt(IKernelPrompt* prompt) {
    IKernelPrompt* previous = g_kernelPrompt;
    g_kernelPrompt = prompt;
    return previous;
}

CVantriDoc::CVantriDoc() = default;
CVantriDoc::~CVantriDoc() {
    if (s_pending.previous == this)
        s_pending.previous = nullptr;
    if (auto* app = dynamic_cast<CSurfaceApp*>(fw::CWinApp::Get()))
        app->ForgetDocument(this);
}

CVantriDocTemplate* CVantriDoc::GetVantriTemplate() const {
    return dynamic_cast<CVantriDocTemplate*>(GetDocTemplate());
}

void CVantriDoc::BeginLoad() {
    if (CVantriDocTemplate* t = GetVantriTemplate()) {
        group = t->m_nGroup;
        image = t->m_nImage;
    }
}

bool CVantriDoc::PrepareNextImage() {
    CVantriDocTemplate* t = GetVantriTemplate();
    const int next = NextImage(image);
    if (next > image) {
        if (t)
            t->m_nImage = next;
        s_pending.armed = true;
        s_pending.path = m_strLoadPath;
        s_pending.docTemplate = GetDocTemplate();
        s_pending.image = next;
        s_pending.previous = this;
        s_pending.index = GroupIndex();
        return true;
    }
    if (t)
        ++t->m_nGroup;
    s_pending = CPendingImage{};
    return false;
}

std::shared_ptr<const CFileIndex> CVantriDoc::TakeGroupIndex(std::uint64_t length) {
    std::shared_ptr<const CFileIndex> index;
    if (image > 0 && s_pending.path == m_strLoadPath && s_pending.index && s_pending.index->length == length)
        index = s_pending.index;
    s_pending.index.reset();
    return index;
}

int CVantriDoc::ImagesFrom(int k) {
    if (k < 0 || FindImage(k) < 0)
        return 0;
    int count = 1;
    for (int j = NextImage(k); j > k; k = j, j = NextImage(j))
        ++count;
    return count;
}

long long CVantriDoc::FindImage(int) {
    return -1;
}

int CVantriDoc::NextImage(int k) {
    return k < INT32_MAX && FindImage(k + 1) >= 0 ? k + 1 : -1;
}

bool CVantriDoc::OnOpenDocument(const std::wstring& path) {
    m_strLoadPath = path;
    m_strSource = fw::FullPath(path);
    m_bReplaceAgreed = false;
    try {
        return fw::CDocument::OnOpenDocument(path);
    } catch (const char* text) {
        // A reader meeting an image it skips ends the open without a word.
        if (text && std::strcmp(text, "safely close") == 0)
            return false;
        throw;
    }
}

void CVantriDoc::Serialize(fw::CArchive& ar) {
    try {
        if (ar.IsLoading())
            Load(ar);
        else
            Store(ar);
    } catch (CDocException& e) {
        fw::MessageBox(e.GetErrorMessage(), fw::MsgButtons::Ok, fw::MsgIcon::None);
        e.reported = true;
        throw;
    }
}

bool CVantriDoc::ReadRaw(fw::CArchive& ar, int columns, int rows) {
    const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    TGrid<std::int16_t> raw(count);
    if (ar.Read(raw.data(), count * 2) != count * 2)
        return false;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    for (std::int16_t& v : raw)
        v = static_cast<std::int16_t>((static_cast<std::uint16_t>(v) >> 8) |
                                      (static_cast<std::uint16_t>(v) << 8));
#endif
    m_raw = std::move(raw);
    m_rawColumns = columns;
    m_rawRows = rows;
    RawChanged();
    return true;
}

namespace {
// A stage that failed shows the primitive's status and leaves the grid as it was; the chain goes on.
void Report(int status) {
    if (status != kern::StsNoErr)
        fw::MessageBox(kern::StatusText(status), fw::MsgButtons::Ok, fw::MsgIcon::None);
}
} // namespace

double CVantriDoc::RunChain() {
    CChainInput in;
    in.raw = m_raw.data();
    in.rawColumns = m_rawColumns;
    in.rawRows = m_rawRows;
    in.rawVersion = m_rawVersion;
    in.preprocessor = &m_preprocessor;
    in.jumps = m_bJumps;
    in.flattening = m_nFlatting;
    in.planeFit = &m_planeFit;
    in.morphology = &m_morphology;
    in.filter = &m_filter;
    in.normalize = &m_normalize;
    return m_chain.Run(in, heights, columns, rows, Report);
}

TGrid<std::int16_t> CVantriDoc::CentredCounts() const {
    TGrid<std::int16_t> counts = m_raw;
    const std::size_t lineLength = static_cast<std::size_t>(m_rawColumns);
    for (int i = 0; i < rows && i < m_rawRows; ++i) {
        const float* line = heights.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(columns);
        std::int16_t* out = counts.data() + static_cast<std::size_t>(i) * lineLength;
        for (int j = 0; j < columns && j < m_rawColumns; ++j) {
            double v = (static_cast<double>(line[j]) - 0.5) * 65535.0;
            v = std::isnan(v) ? 0.0 : std::clamp(v, -32767.0, 32767.0);
            out[j] = static_cast<std::int16_t>(std::trunc(v));
        }
    }
    return counts;
}

void CVantriDoc::SettingChanged(bool modified) {
    m_chain.Keep(true);
    Reprocess();
    SetModifiedFlag(modified);
    UpdateAllViews(nullptr, kHintSurface, nullptr);
}

bool CVantriDoc::OnCommand(int id) {
    if (const auto* choice = FindChoice(kFilters, id)) {
        if (TakeKernel(*choice, m_filter.dialog, m_filter.kernel))
            ApplySetting(m_filter.type, choice->value);
        return true;
    }
    if (const auto* choice = FindChoice(kMorphology, id)) {
        if (TakeKernel(*choice, m_morphology.dialog, m_morphology.element))
            ApplySetting(m_morphology.operation, choice->value);
        return true;
    }
    if (const auto* choice = FindChoice(kPlanes, id)) {
        ApplySetting(m_planeFit.mode, choice->value);
        return true;
    }
    if (const auto* choice = FindChoice(kFlattings, id)) {
        ApplySetting(m_nFlatting, choice->value);
        return true;
    }
    switch (id) {
    case ID_JUMPS:
        m_bJumps = !m_bJumps;
        SettingChanged(true);
        return true;
    case ID_NORMALIZE:
        m_normalize.pending = true;
        m_chain.Keep(true);
        Reprocess();
        UpdateAllViews(nullptr, kHintSurface, nullptr);
        return true;
    case ID_FILE_SAVE:
        DoFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        OnFileSaveAs();
        return true;
    default:
        return false;
    }
}

bool CVantriDoc::OnUpdateCommand(int id, CCmdState& state) const {
    state = CCmdState{};
    if (Radio(FindChoice(kFilters, id), m_filter.type, state) ||
        Radio(FindChoice(kMorphology, id), m_morphology.operation, state) ||
        Radio(FindChoice(kPlanes, id), m_planeFit.mode, state) ||
        Radio(FindChoice(kFlattings, id), m_nFlatting, state))
        return true;
    switch (id) {
    case ID_JUMPS:
        state.checked = m_bJumps;
        return true;
    case ID_NORMALIZE:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        return true;
    default:
        return false;
    }
}

std::vector<CVantriDoc*> CVantriDoc::GroupDocuments() const {
    std::vector<CVantriDoc*> members;
    if (const fw::CDocTemplate* t = GetDocTemplate())
        for (fw::CDocument* d : t->GetDocuments())
            if (auto* v = dynamic_cast<CVantriDoc*>(d); v && v->group == group)
                members.push_back(v);
    return members;
}

bool CVantriDoc::DoFileSave() {
    if (!m_bReplaceAgreed && !GetPathName().empty() && fw::SameFile(GetPathName(), m_strSource)) {
        const std::wstring name =
            fw::FromUtf8(std::filesystem::path(fw::ToUtf8(GetPathName())).filename().string());
        const std::wstring text = L"Replace the measured data in " + name +
                                  L" with the corrected surface?\n\nThe measurement cannot be recovered "
                                  L"from the file afterwards. Save As keeps it and writes the corrected "
                                  L"surface to a new file.";
        switch (fw::MessageBox(text, fw::MsgButtons::ReplaceSaveAsCancel, fw::MsgIcon::Exclamation)) {
        case fw::MsgAnswer::Yes:
            m_bReplaceAgreed = true;
            break;
        case fw::MsgAnswer::No:
            return OnFileSaveAs();
        default:
            return false;
        }
    }
    return fw::CDocument::DoFileSave();
}

bool CVantriDoc::OnFileSaveAs(const std::wstring& path) {
    if (!DoSave(path))
        return false;
    for (CVantriDoc* other : GroupDocuments())
        if (other != this)
            other->SetPathName(GetPathName(), false);
    return true;
}

} // namespace doc
