#pragma once
// "vantri-cli stats": what the statistics window shows of a surface (Ra, Rq, skewness, kurtosis, and
// with counts the histogram and the bearing curve), with the ISO 25178 height parameters, as one JSON
// line per document or as a CSV table over many files.
#include <optional>
#include <string>
#include <vector>

#include "cli/Settings.h"
#include "model/phSize.h"

namespace doc {
class CDataDoc;
}

namespace cli {

struct CStatsOptions {
    std::vector<std::string> files;
    int image = -1; // every image of a file when below 0
    std::vector<CSetting> settings;
    int bins = 0;   // no histogram when 0
    int levels = 0; // no bearing curve when 0
    bool adjustPlane = false;
    bool csv = false;
};

// Reads the arguments after "stats"; an empty text, or what is wrong.
std::string ParseStatsOptions(const std::vector<std::string>& args, CStatsOptions& options);

// One document's line: file and image, the four numbers as the window's panes show them, the graphs
// asked for, and iso25178.
std::string StatsJson(const std::wstring& file, int image, const doc::CDataDoc& surface,
                      const CStatsOptions& options);

// The CSV table: a header line and one row per document. When every document's Ra is of one dimension
// (all heights, say), the header names the unit (that of the first document) and every row is
// converted to it; documents of several dimensions (height, current and phase channels of one batch)
// get a unit column after each value instead.
class CStatsCsv {
public:
    void Add(const std::wstring& file, int image, const doc::CDataDoc& surface);
    // The whole table, lines ending in "\n".
    std::string Text() const;

private:
    struct CRow {
        std::wstring file;
        int image = 0;
        ph::Size ra, rq;
        std::wstring sk, ks;
    };
    std::vector<CRow> m_rows;
};

} // namespace cli
