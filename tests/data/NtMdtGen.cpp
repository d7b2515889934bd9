#include "data/NtMdtGen.h"

#include <stdexcept>

#include "data/ScanBytes.h"

namespace testdata {
namespace {

constexpr std::size_t kFillerBody = 48;

std::size_t VarBlockBytes(const MdtFrame& frame) {
    return kMdtAxisBlock + kMdtScanBlock + static_cast<std::size_t>(frame.extraBytes);
}

std::size_t DotBytes(const MdtFrame& frame) {
    return frame.dots > 0 ? 14 + 16 * static_cast<std::size_t>(frame.dots) : 0;
}

std::size_t BodyBytes(const MdtFrame& frame) {
    if (frame.type != 0)
        return frame.body.empty() ? kFillerBody : frame.body.size();
    return VarBlockBytes(frame) + kMdtImageHeader + DotBytes(frame) +
           2 * bytes::Count(frame.columns, frame.rows);
}

void PutAxis(std::string& out, std::size_t at, float offset, float step, int unit) {
    bytes::PutFloat(out, at, offset);
    bytes::PutFloat(out, at + 4, step);
    bytes::Put(out, at + 8, unit, 2);
}

// The body of a scanned image frame, from its first byte after the frame header.
void PutScan(std::string& out, std::size_t at, const MdtFrame& frame, unsigned salt) {
    PutAxis(out, at, frame.xOffset, frame.xStep, frame.xUnit);
    PutAxis(out, at + 10, frame.yOffset, frame.yStep, frame.yUnit);
    PutAxis(out, at + 20, frame.zOffset, frame.zStep, frame.zUnit);

    // Gwyddion shows a few scan block fields as metadata: give those real values.
    const std::size_t scan = at + kMdtAxisBlock;
    bytes::Fill(out, scan, kMdtScanBlock + static_cast<std::size_t>(frame.extraBytes), salt);
    out[scan] = 0;     // ADC channel: height
    out[scan + 1] = 1; // AFM
    bytes::Put(out, scan + 2, frame.columns, 2);
    bytes::Put(out, scan + 4, frame.rows, 2);

    const std::size_t image = at + VarBlockBytes(frame);
    bytes::Fill(out, image, 2, salt + 5);
    bytes::Put(out, image + 2, frame.imageColumnsField == -1 ? frame.columns : frame.imageColumnsField, 2);
    bytes::Put(out, image + 4, frame.imageRowsField == -1 ? frame.rows : frame.imageRowsField, 2);
    bytes::Put(out, image + 6, frame.dots, 2);
    bytes::Fill(out, image + kMdtImageHeader, DotBytes(frame), salt + 7);
    bytes::PutSamples(out, image + kMdtImageHeader + DotBytes(frame),
                      bytes::Samples(frame.samples, frame.columns, frame.rows, frame.seed, "MdtFrame"));
}

void PutFrame(std::string& out, std::size_t at, const MdtFrame& frame, std::size_t k) {
    const std::size_t body = BodyBytes(frame);
    const auto salt = static_cast<unsigned>(k);
    bytes::Put(out, at,
               frame.frameSize == -1 ? static_cast<long long>(kMdtFrameHeader + body) : frame.frameSize, 4);
    bytes::Put(out, at + 4, frame.type, 2);
    out[at + 6] = 1; // version 1.5, major byte first
    out[at + 7] = 5;
    const int date[] = {2024, 1 + static_cast<int>(k % 12), 1 + static_cast<int>(k % 28),
                        9,    static_cast<int>(k % 60),     30};
    for (int i = 0; i < 6; ++i)
        bytes::Put(out, at + 8 + 2 * i, date[i], 2);
    long long var = frame.varSize;
    if (var == -1)
        var = static_cast<long long>(frame.type == 0 ? VarBlockBytes(frame) : body);
    bytes::Put(out, at + 20, var, 2);

    const std::size_t start = at + kMdtFrameHeader;
    if (frame.type == 0)
        PutScan(out, start, frame, salt);
    else if (frame.body.empty())
        bytes::Fill(out, start, kFillerBody, salt + 11);
    else
        out.replace(start, body, frame.body);
}

} // namespace

std::size_t MdtFrameBytes(const MdtFrame& frame) {
    if (frame.extraBytes < 0)
        throw std::invalid_argument("MdtFrame: negative extraBytes");
    return kMdtFrameHeader + BodyBytes(frame);
}

std::size_t MdtFrameOffset(const MdtFile& file, std::size_t k) {
    std::size_t offset = kMdtFileHeader;
    for (std::size_t i = 0; i < k && i < file.frames.size(); ++i)
        offset += MdtFrameBytes(file.frames[i]);
    return offset;
}

std::string MakeNtMdt(const MdtFile& file) {
    const std::size_t end = MdtFrameOffset(file, file.frames.size());
    std::string out(end, '\0');
    bytes::Put(out, 0, file.signature, 4);
    bytes::Fill(out, 8, 4, 0);
    bytes::Put(
        out, 12,
        file.lastFrameIndex == -1 ? static_cast<long long>(file.frames.size()) - 1 : file.lastFrameIndex, 2);
    bytes::Fill(out, 14, kMdtFileHeader - 14, 4);
    std::size_t at = kMdtFileHeader;
    for (std::size_t k = 0; k < file.frames.size(); ++k) {
        PutFrame(out, at, file.frames[k], k);
        at += MdtFrameBytes(file.frames[k]);
    }
    out += file.trailer;
    bytes::Put(out, 4,
               file.sizeField == -1 ? static_cast<long long>(out.size() - kMdtFileHeader) : file.sizeField,
               4);
    bytes::Truncate(out, file.truncateTo);
    return out;
}

} // namespace testdata
