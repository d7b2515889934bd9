#include "cli/Stats.h"

#include <cerrno>
#include <cstdlib>

#include "analysis/HeightDistribution.h"
#include "analysis/Roughness.h"
#include "cli/Json.h"
#include "framework/fwText.h"
#include "model/DataDoc.h"

namespace cli {

namespace {

// A whole number of lo..1000000 (a window a million pixels wide is far beyond any screen).
bool ParseCount(const std::string& text, long lo, int& count) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno != 0 || n < lo || n > 1000000)
        return false;
    count = static_cast<int>(n);
    return true;
}

// A moment as a number, the pane's text beside it.
void AddMoment(CJsonObject& object, const char* key, const char* textKey,
               const std::optional<double>& moment) {
    object.Add(key, moment).Add(textKey, statist::MomentText(moment));
}

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::wstring& text) {
    const std::string utf8 = fw::ToUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string ParseStatsOptions(const std::vector<std::string>& args, CStatsOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        switch (ParseSetting(args, i, options.settings, problem)) {
        case SettingParse::Taken:
            continue;
        case SettingParse::Invalid:
            return problem;
        case SettingParse::NotASetting:
            break;
        }
        const std::string& a = args[i];
        const bool last = i + 1 >= args.size();
        if (a == "--image") {
            if (last || !ParseCount(args[i + 1], 0, options.image))
                return "--image needs a number of 0 or more";
            ++i;
        } else if (a == "--bins" || a == "--levels") {
            if (last || !ParseCount(args[i + 1], 1, a == "--bins" ? options.bins : options.levels))
                return a + " needs a count from 1 to 1000000";
            ++i;
        } else if (a == "--adjust-plane") {
            options.adjustPlane = true;
        } else if (a == "--csv") {
            options.csv = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else {
            options.files.push_back(a);
        }
    }
    if (options.files.empty())
        return "stats needs at least one FILE";
    return std::string();
}

std::string StatsJson(const std::wstring& file, int image, const doc::CDataDoc& surface,
                      const CStatsOptions& options) {
    const float* heights = surface.heights.data();
    const statist::CRoughness r = statist::Roughness(heights, surface.columns, surface.rows);
    CJsonObject object;
    object.Add("file", file).Add("image", static_cast<long long>(image));
    const ph::Size ra = statist::Physical(surface.range, r.ra), rq = statist::Physical(surface.range, r.rq);
    object.Add("ra", QuantityJson(ra)).Add("rq", QuantityJson(rq));
    AddMoment(object, "sk", "sk_text", r.sk);
    AddMoment(object, "ks", "ks_text", r.ks);
    if (options.bins > 0 || options.levels > 0) {
        statist::CHeightDistribution distribution;
        distribution.Prepare(heights, surface.columns, surface.rows, options.adjustPlane);
        statist::CHistogramBins histogram;
        statist::CBearingLevels bearing;
        distribution.Compute(options.bins, options.levels, &histogram, &bearing);
        if (options.bins > 0) {
            CJsonObject h;
            h.Add("half_range", static_cast<double>(histogram.halfRange))
                .Add("bin_width", QuantityJson(statist::Physical(surface.range, histogram.binWidth)))
                .Add("fractions", histogram.fractions)
                .Add("caption", statist::HistogramCaption(surface.range, histogram));
            object.Add("histogram", h);
        }
        if (options.levels > 0) {
            CJsonObject b;
            b.Add("range", QuantityJson(statist::Physical(surface.range, bearing.range)))
                .Add("fractions", bearing.fractions)
                .Add("caption", statist::BearingCaption(surface.range, bearing));
            object.Add("bearing", b);
        }
    }
    const statist::CIsoHeights iso = statist::IsoHeights(r, surface.range);
    CJsonObject i;
    i.Add("sa", QuantityJson(iso.sa)).Add("sq", QuantityJson(iso.sq));
    i.Add("ssk", iso.ssk).Add("sku", iso.sku);
    i.Add("sp", QuantityJson(iso.sp)).Add("sv", QuantityJson(iso.sv)).Add("sz", QuantityJson(iso.sz));
    object.Add("iso25178", i);
    return object.Text();
}

void CStatsCsv::Add(const std::wstring& file, int image, const doc::CDataDoc& surface) {
    const statist::CRoughness r = statist::Roughness(surface.heights.data(), surface.columns, surface.rows);
    CRow row;
    row.file = file;
    row.image = image;
    row.ra = statist::Physical(surface.range, r.ra);
    row.rq = statist::Physical(surface.range, r.rq);
    // The moments' own numbers, not the panes' two decimals: a table is for further work.
    row.sk = r.sk ? fw::Widen(JsonNumber(*r.sk)) : std::wstring();
    row.ks = r.ks ? fw::Widen(JsonNumber(*r.ks)) : std::wstring();
    m_rows.push_back(row);
}

std::string CStatsCsv::Text() const {
    bool oneDimension = true;
    for (const CRow& row : m_rows)
        oneDimension = oneDimension && row.ra.dimension() == m_rows.front().ra.dimension();
    std::string text;
    std::wstring unit;
    if (m_rows.empty() || !oneDimension) {
        text = "file,image,Ra,Ra unit,Rq,Rq unit,Sk,Ks\n";
    } else {
        unit = m_rows.front().ra.unit();
        text = "file,image," + CsvField(L"Ra (" + unit + L")") + "," + CsvField(L"Rq (" + unit + L")") +
               ",Sk,Ks\n";
    }
    for (CRow row : m_rows) {
        text += CsvField(row.file) + "," + std::to_string(row.image) + ",";
        for (ph::Size* value : {&row.ra, &row.rq}) {
            if (unit.empty()) {
                text += JsonNumber(value->value()) + "," + CsvField(value->unit()) + ",";
            } else {
                value->cast(unit.c_str());
                text += JsonNumber(value->value()) + ",";
            }
        }
        text += fw::ToUtf8(row.sk) + "," + fw::ToUtf8(row.ks) + "\n";
    }
    return text;
}

} // namespace cli
