// make_nanoscope OUT [--size N] [--images K] [--seed S]
// Writes a NanoScope III file of K images of N x N samples; types cycle Height, Phase, Amplitude.
#include "data/NanoScopeGen.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: make_nanoscope OUT [--size N] [--images K] [--seed S]\n";
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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
    testdata::NsFile file;
    file.images.clear();
    for (long long k = 0; k < images; ++k) {
        testdata::NsImage image;
        image.type = kTypes[k % 3];
        image.columns = image.rows = static_cast<int>(size);
        image.seed = static_cast<std::uint32_t>(seed + k);
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
