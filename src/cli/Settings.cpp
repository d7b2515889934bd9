#include "cli/Settings.h"

#include <charconv>

#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "model/SurfaceCommands.h"

namespace cli {

namespace {

using Names = std::vector<std::pair<const char*, int>>;

const Names kFlatten = {
    {"none", doc::ID_FLAT_NONE}, {"y", doc::ID_FLAT_Y}, {"x", doc::ID_FLAT_X}, {"yx", doc::ID_FLAT_YX}};
const Names kPlane = {{"none", doc::ID_PLANE_NONE},
                      {"plane", doc::ID_PLANE_PLANE},
                      {"parabola-x", doc::ID_PLANE_PARABOLA_X},
                      {"parabola-y", doc::ID_PLANE_PARABOLA_Y},
                      {"paraboloid", doc::ID_PLANE_PARABOLOID}};
const Names kMorph = {
    {"none", doc::ID_MORPH_NONE}, {"dilate3", doc::ID_MORPH_DILATE3}, {"erode3", doc::ID_MORPH_ERODE3}};
const Names kMorphCustom = {{"dilate", doc::ID_MORPH_DILATE_CUSTOM}, {"erode", doc::ID_MORPH_ERODE_CUSTOM}};
const Names kFilter = {{"none", doc::ID_FILTER_NONE},          {"mean3", doc::ID_FILTER_MEAN3},
                       {"mean5", doc::ID_FILTER_MEAN5},        {"mean7", doc::ID_FILTER_MEAN7},
                       {"median3", doc::ID_FILTER_MEDIAN3},    {"median3x1", doc::ID_FILTER_MEDIAN3H},
                       {"median1x3", doc::ID_FILTER_MEDIAN3V}, {"median5", doc::ID_FILTER_MEDIAN5},
                       {"median5x1", doc::ID_FILTER_MEDIAN5H}, {"median1x5", doc::ID_FILTER_MEDIAN5V},
                       {"laplace3", doc::ID_FILTER_LAPLACE3},  {"laplace5", doc::ID_FILTER_LAPLACE5},
                       {"gauss3", doc::ID_FILTER_GAUSS3},      {"gauss5", doc::ID_FILTER_GAUSS5},
                       {"highpass3", doc::ID_FILTER_HIPASS3},  {"highpass5", doc::ID_FILTER_HIPASS5},
                       {"lowpass3", doc::ID_FILTER_LOWPASS3},  {"lowpass5", doc::ID_FILTER_LOWPASS5},
                       {"sharpen", doc::ID_FILTER_SHARPEN}};
const Names kFilterCustom = {{"mean", doc::ID_FILTER_MEAN_CUSTOM}, {"median", doc::ID_FILTER_MEDIAN_CUSTOM}};

int Lookup(const Names& names, const std::string& name) {
    for (const auto& [text, id] : names)
        if (name == text)
            return id;
    return 0;
}

// A plain name of the fixed table, or "name:WxH[@AX,AY]" of the custom table.
bool Choose(const Names& fixed, const Names& custom, const std::string& value, CSetting& setting) {
    if (int id = Lookup(fixed, value)) {
        setting.command = id;
        return true;
    }
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos)
        return false;
    const int id = Lookup(custom, value.substr(0, colon));
    doc::CKernelDialogValues kernel;
    if (!id || !ParseKernel(value.substr(colon + 1), kernel))
        return false;
    setting.command = id;
    setting.kernel = kernel;
    return true;
}

} // namespace

bool ParseKernel(const std::string& text, doc::CKernelDialogValues& kernel) {
    int w = 0, h = 0, ax = 0, ay = 0, used = 0;
    const char* s = text.c_str();
    if (std::sscanf(s, "%dx%d%n", &w, &h, &used) != 2)
        return false;
    if (w < 1 || h < 1 || w > 256 || h > 256)
        return false;
    kernel.width = w;
    kernel.height = h;
    if (s[used] == '\0') {
        kernel.center = true;
        kernel.anchorX = w / 2;
        kernel.anchorY = h / 2;
        return true;
    }
    int more = 0;
    if (std::sscanf(s + used, "@%d,%d%n", &ax, &ay, &more) != 2 || s[used + more] != '\0')
        return false;
    if (ax < 0 || ay < 0 || ax >= w || ay >= h)
        return false;
    kernel.center = false;
    kernel.anchorX = ax;
    kernel.anchorY = ay;
    return true;
}

SettingParse ParseSetting(const std::vector<std::string>& args, std::size_t& i,
                          std::vector<CSetting>& settings, std::string& problem) {
    const std::string& option = args[i];
    CSetting setting;
    if (option == "--jumps") {
        setting.command = doc::ID_JUMPS;
    } else if (option == "--normalize") {
        setting.command = doc::ID_NORMALIZE;
    } else if (option == "--flatten" || option == "--plane" || option == "--morph" || option == "--filter") {
        if (i + 1 >= args.size()) {
            problem = option + " needs a value";
            return SettingParse::Invalid;
        }
        const std::string& value = args[++i];
        bool ok = false;
        if (option == "--flatten")
            ok = (setting.command = Lookup(kFlatten, value)) != 0;
        else if (option == "--plane")
            ok = (setting.command = Lookup(kPlane, value)) != 0;
        else if (option == "--morph")
            ok = Choose(kMorph, kMorphCustom, value, setting);
        else
            ok = Choose(kFilter, kFilterCustom, value, setting);
        if (!ok) {
            problem = "unknown value for " + option + ": " + value;
            return SettingParse::Invalid;
        }
    } else {
        return SettingParse::NotASetting;
    }
    settings.push_back(setting);
    return SettingParse::Taken;
}

std::string ParseArguments(const std::vector<std::string>& args, std::vector<CSetting>& settings,
                           const std::function<std::string(std::size_t& i)>& option) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        const SettingParse parsed = ParseSetting(args, i, settings, problem);
        if (parsed == SettingParse::NotASetting)
            problem = option(i);
        if (!problem.empty())
            return problem;
    }
    return std::string();
}

std::string ParseFileArguments(const std::vector<std::string>& args, std::vector<CSetting>& settings,
                               std::string& file, int& image,
                               const std::function<std::optional<std::string>(std::size_t& i)>& option) {
    const std::string problem = ParseArguments(args, settings, [&](std::size_t& i) -> std::string {
        if (std::optional<std::string> own = option(i))
            return *own;
        const std::string& a = args[i];
        if (a == "--image") {
            // No image numbers beyond a million: the readers stop far below that.
            if (!ParseInt(i + 1 < args.size() ? &args[i + 1] : nullptr, 0, 1000000, image))
                return "--image needs a number of 0 or more";
            ++i;
            return std::string();
        }
        if (a.size() > 1 && a[0] == '-')
            return "unknown option " + a;
        if (!file.empty())
            return "only one FILE is taken";
        file = a;
        return std::string();
    });
    if (!problem.empty())
        return problem;
    return file.empty() ? "FILE is missing" : std::string();
}

bool ParseInt(const std::string* text, int least, int most, int& n) {
    if (!text || text->empty())
        return false;
    const char* end = text->data() + text->size();
    const auto parsed = std::from_chars(text->data(), end, n);
    return parsed.ptr == end && parsed.ec == std::errc() && n >= least && n <= most;
}

} // namespace cli
