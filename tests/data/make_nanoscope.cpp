// make_nanoscope OUT [--size N] [--images K] [--seed S] [--newer]
// Writes a NanoScope III file of K images of N x N samples; types cycle Height, Phase, Amplitude.
// --newer writes a version 9.2 header as later instruments do: the "\Scan Size:" spelling, the types
// Height Sensor, Amplitude Error, Peak Force Error and Deflection with their units, and every other
// image in 32-bit samples.
#include "data/NanoScopeGen.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: make_nanoscope OUT [--size N] [--images K] [--seed S] [--newer]\n";
    return 2;
}

bool ParseNumber(const char* text, long long lo, long long hi, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= lo && value <= hi;
}

} // namespace

int main(int argc, char** argv) {
    std::string out;
    long long size = 256, images = 1, seed = 1;
    bool newer = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--newer") {
            newer = true;
            continue;
        }
        long long* target = arg == "--size"     ? &size
                            : arg == "--images" ? &images
                            : arg == "--seed"   ? &seed
                                                : nullptr;
        if (target) {
            // The whole file is built in memory, so keep it to a few GiB at most.
            const long long hi = target == &seed ? 0xFFFFFFFFll : target == &size ? 16384 : 64;
            const long long lo = target == &seed ? 0 : 1;
            if (++i == argc || !ParseNumber(argv[i], lo, hi, *target)) {
                std::cerr << "make_nanoscope: bad value for " << arg << "\n";
                return Usage();
            }
        } else if (out.empty() && !arg.empty() && arg[0] != '-') {
            out = arg;
        } else {
            return Usage();
        }
    }
    if (out.empty())
        return Usage();

    static const char* const kTypes[] = {"Height", "Phase", "Amplitude"};
    // The newer types: the sensitivity each names, its line in the scan list, and the Z scale's unit.
    static const char* const kNewer[][4] = {
        {"Height Sensor", "Sens. ZsensSens", "\\@Sens. ZsensSens: V 418.0048 nm/V", "V"},
        {"Amplitude Error", "Sens. Amplitude Error", "\\@Sens. Amplitude Error: V 1.000000 ", "mV"},
        {"Peak Force Error", "Sens. ForceDeflSens", "\\@Sens. ForceDeflSens: V 1.000000 ", "V"},
        {"Deflection", "Sens. Deflection", "\\@Sens. Deflection: V 245.8806 nm/V", "V"},
    };
    testdata::NsFile file;
    file.images.clear();
    if (newer) {
        file.version = "0x09200000";
        for (const auto& type : kNewer)
            file.scanLines.push_back(type[2]);
    }
    for (long long k = 0; k < images; ++k) {
        testdata::NsImage image;
        image.type = kTypes[k % 3];
        image.columns = image.rows = static_cast<int>(size);
        image.seed = static_cast<std::uint32_t>(seed + k);
        if (newer) {
            const auto& type = kNewer[k % 4];
            image.type = type[0];
            image.sensName = type[1];
            image.zUnit = type[3];
            image.omit.push_back("\\Scan size:");
            image.extraLines.push_back("\\Scan Size: " + image.scanSize);
            if (k % 2 == 0) {
                // Wider than 16 bits, so that the reader must narrow them.
                image.bytesPerPixel = 4;
                const auto narrow = testdata::PatternSamples(image.columns, image.rows, image.seed);
                for (std::size_t i = 0; i < narrow.size(); ++i)
                    image.wideSamples.push_back(narrow[i] * 97 + static_cast<std::int32_t>(i % 89));
            }
        }
        file.images.push_back(image);
    }
    try {
        testdata::WriteFile(out, testdata::MakeNanoScope(file));
    } catch (const std::exception& e) {
        std::cerr << "make_nanoscope: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
