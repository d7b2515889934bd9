// make_scan mdt|spm OUT [--size N] [--frames K] [--seed S]
// Writes an NT-MDT file of K scanned frames (seeds S, S+1, ...) or a NANOTOP-205 file, N x N samples.
#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: make_scan mdt|spm OUT [--size N] [--frames K] [--seed S]\n";
    return 2;
}

struct Option {
    const char* name;
    long long lo, hi; // the whole file is built in memory, so sizes stay at a few GiB at most
    long long value;
    bool given;
};

// Sets the option named by argv[i] from argv[i + 1]; false if there is no such option or value.
bool TakeOption(Option* options, int count, int argc, char** argv, int& i) {
    for (int k = 0; k < count; ++k) {
        Option& option = options[k];
        if (argv[i] != std::string(option.name))
            continue;
        if (++i == argc)
            return false;
        char* end = nullptr;
        errno = 0;
        option.value = std::strtoll(argv[i], &end, 10);
        option.given = true;
        return errno == 0 && end != argv[i] && *end == '\0' && option.value >= option.lo &&
               option.value <= option.hi;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const std::string format = argv[1], out = argv[2];
    if ((format != "mdt" && format != "spm") || out.empty() || out[0] == '-')
        return Usage();
    Option options[] = {
        {"--size", 1, 16384, 256, false},
        {"--frames", 1, 64, 1, false},
        {"--seed", 0, 0xFFFFFFFFll, 1, false},
    };
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!TakeOption(options, 3, argc, argv, i)) {
            std::cerr << "make_scan: bad argument or value: " << arg << "\n";
            return Usage();
        }
    }
    const int side = static_cast<int>(options[0].value);
    const auto seed = static_cast<std::uint32_t>(options[2].value);
    if (format == "spm" && options[1].given) {
        std::cerr << "make_scan: --frames is for mdt only\n";
        return Usage();
    }

    try {
        if (format == "mdt") {
            testdata::MdtFile file;
            file.frames.assign(static_cast<std::size_t>(options[1].value), testdata::MdtFrame{});
            for (std::size_t k = 0; k < file.frames.size(); ++k) {
                file.frames[k].columns = file.frames[k].rows = side;
                file.frames[k].seed = seed + static_cast<std::uint32_t>(k);
            }
            testdata::WriteFile(out, testdata::MakeNtMdt(file));
        } else {
            testdata::SpmFile file;
            file.columns = file.rows = side;
            file.seed = seed;
            testdata::WriteFile(out, testdata::MakeSpm(file));
        }
    } catch (const std::exception& e) {
        std::cerr << "make_scan: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
