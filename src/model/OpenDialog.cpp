#include "model/OpenDialog.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <system_error>

#include "framework/fwDocTemplate.h"
#include "framework/fwText.h"

namespace doc {

namespace {

void AppendFilter(const fw::CDocTemplate& t, std::vector<CFileFilter>& filters,
                  std::wstring* defaultExtension) {
    CFileFilter filter;
    std::wstring extensions;
    if (!t.GetDocString(filter.name, fw::CDocTemplate::filterName) ||
        !t.GetDocString(extensions, fw::CDocTemplate::filterExt))
        return;
    std::size_t from = 0;
    while (from <= extensions.size()) {
        std::size_t end = extensions.find(L';', from);
        if (end == std::wstring::npos)
            end = extensions.size();
        const std::wstring ext = extensions.substr(from, end - from);
        if (!ext.empty()) {
            if (!filter.patterns.empty())
                filter.patterns += L';';
            filter.patterns += L'*' + ext;
            if (defaultExtension && defaultExtension->empty())
                *defaultExtension = ext[0] == L'.' ? ext.substr(1) : ext;
        }
        from = end + 1;
    }
    filters.push_back(filter);
}

wchar_t Folded(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

} // namespace

std::vector<CFileFilter> DialogFilters(const std::vector<fw::CDocTemplate*>& templates,
                                       const fw::CDocTemplate* only, std::wstring* defaultExtension) {
    std::vector<CFileFilter> filters;
    if (defaultExtension)
        defaultExtension->clear();
    if (only) {
        AppendFilter(*only, filters, defaultExtension);
    } else {
        for (const fw::CDocTemplate* t : templates)
            if (t)
                AppendFilter(*t, filters, defaultExtension);
    }
    filters.push_back({L"All Files (*.*)", L"*.*"});
    return filters;
}

bool MatchesPattern(const std::wstring& name, const std::wstring& pattern) {
    // Iterative wildcard match with one backtrack point for the last '*'.
    std::size_t n = 0, p = 0, starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || Folded(pattern[p]) == Folded(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool FolderHoldsScanFiles(const std::wstring& folder, const std::vector<CFileFilter>& filters) {
    if (filters.size() < 2)
        return false;
    std::vector<std::wstring> patterns;
    for (std::size_t i = 0; i + 1 < filters.size(); ++i) {
        const std::wstring& text = filters[i].patterns;
        std::size_t from = 0;
        while (from <= text.size()) {
            std::size_t end = text.find(L';', from);
            if (end == std::wstring::npos)
                end = text.size();
            if (end > from)
                patterns.push_back(text.substr(from, end - from));
            from = end + 1;
        }
    }
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(fw::ToUtf8(folder)), error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const std::wstring name = fw::FromUtf8(it->path().filename().string());
        for (const std::wstring& pattern : patterns)
            if (MatchesPattern(name, pattern))
                return true;
    }
    return false;
}

int CDialogMemory::StartFilter(int filterCount) const {
    return filterIndex != 0 && filterIndex <= filterCount ? filterIndex : filterCount;
}

void CDialogMemory::FilterChosen(int index) {
    if (index < 1 || index > 255 || index == filterIndex)
        return;
    filterIndex = static_cast<std::uint8_t>(index);
    changed = true;
}

bool CDialogMemory::ViewCommand(bool openDialog, bool folderHasScans, int commandId) {
    switch (commandId) {
    case ID_VIEW_LARGE_ICONS:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS:
    case ID_VIEW_THUMBNAILS:
    case ID_VIEW_TILES:
        viewModes[Slot(openDialog, folderHasScans)] = commandId;
        changed = true;
        return true;
    default:
        return false;
    }
}

CVantriDocManager::CVantriDocManager(CDialogMemory& memory) : m_memory(memory) {}
CVantriDocManager::~CVantriDocManager() = default;

std::array<unsigned char, CDialogMemory::kProfileSize> CDialogMemory::Profile() const {
    std::array<unsigned char, kProfileSize> bytes{};
    bytes[0] = changed ? 1 : 0;
    bytes[1] = filterIndex;
    for (int k = 0; k < 4; ++k) {
        const auto id = static_cast<std::uint16_t>(viewModes[k]);
        bytes[2 + 2 * k] = static_cast<unsigned char>(id & 0xFF);
        bytes[3 + 2 * k] = static_cast<unsigned char>(id >> 8);
    }
    return bytes;
}

void CDialogMemory::LoadProfile(const unsigned char* bytes, std::size_t count) {
    std::array<unsigned char, kProfileSize> all = Profile();
    std::copy(bytes, bytes + std::min(count, kProfileSize), all.begin());
    changed = all[0] != 0;
    filterIndex = all[1];
    for (int k = 0; k < 4; ++k)
        viewModes[k] = all[2 + 2 * k] | (all[3 + 2 * k] << 8);
}

bool CVantriDocManager::DoPromptFileName(std::wstring& fileName, int titleId, unsigned flags,
                                         bool openFileDialog, fw::CDocTemplate* docTemplate) {
    if (!m_pDialog)
        return false;
    CFileDialogRequest request;
    request.openDialog = openFileDialog;
    request.titleId = titleId;
    request.flags = kDialogHideReadOnly | kDialogOverwritePrompt | flags | kDialogEnableSizing;
    request.filters = DialogFilters(GetTemplates(), docTemplate, &request.defaultExtension);
    request.filterIndex = m_memory.StartFilter(static_cast<int>(request.filters.size()));
    request.fileName = fileName;
    if (!m_pDialog->Run(request))
        return false;
    m_memory.FilterChosen(request.filterIndex);
    fileName = request.fileName;
    m_chosen = request.fileNames.empty() ? std::vector<std::wstring>{fileName} : request.fileNames;
    return true;
}

} // namespace doc
