#include "data/SpmGen.h"

#include <stdexcept>

#include "data/ScanBytes.h"

namespace testdata {
namespace {

void PutUnit(std::string& out, std::size_t at, const std::string& unit) {
    if (unit.size() > 4)
        throw std::invalid_argument("SpmFile: unit \"" + unit + "\" is longer than 4 bytes");
    out.replace(at, unit.size(), unit); // the rest stays NUL
}

} // namespace

std::string MakeSpm(const SpmFile& file) {
    const std::vector<std::int16_t> samples =
        bytes::Samples(file.samples, file.columns, file.rows, file.seed, "SpmFile");
    std::string out(kSpmHeader + 2 * samples.size(), '\0');
    bytes::Fill(out, 0, 2, 1);
    bytes::Put(out, 2, file.columnsField == -1 ? file.columns : file.columnsField, 2);
    bytes::Fill(out, 4, 2, 3);
    bytes::Put(out, 6, file.rowsField == -1 ? file.rows : file.rowsField, 2);
    bytes::PutFloat(out, 8, file.xStep);
    bytes::PutFloat(out, 12, file.yStep);
    bytes::PutFloat(out, 16, file.zStep);
    PutUnit(out, 20, file.heightUnit);
    PutUnit(out, 24, file.lateralUnit);
    bytes::Fill(out, 28, 350 - 28, 5);
    bytes::Fill(out, 350, 448 - 350, 7);
    bytes::Fill(out, 448, kSpmHeader - 448, 9);
    bytes::PutSamples(out, kSpmHeader, samples);
    out += file.trailer;
    bytes::Truncate(out, file.truncateTo);
    return out;
}

} // namespace testdata
