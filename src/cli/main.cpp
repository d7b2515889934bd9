// vantri-cli: the headless face of the application's core. It opens scan files exactly as the
// application does and prints, dumps, re-saves or exports them as pictures or as solids to print.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/Mesh.h"
#include "cli/Profile.h"
#include "cli/Settings.h"
#include "cli/Spectral.h"
#include "cli/Stats.h"
#include "formats/DocTypes.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "model/VantriDoc.h"
#include "processing/kernels/Kernels.h"
#include "view2d/Attenuator.h"
#include "view2d/BmpFile.h"
#include "view2d/ColorTransfer.h"
#include "view2d/Converter.h"

namespace {

const char kUsage[] =
    "usage: vantri-cli info FILE...\n"
    "       vantri-cli dump FILE [--image K] [--raw | --processed] [--format csv | f32le | i16le]\n"
    "       vantri-cli process FILE [--image K] [SETTING...] (--out FILE | --dump csv | --dump f32le)\n"
    "       vantri-cli export FILE [--image K] [--bmp OUT] [--fill gray|amber|marine|forest] [--negative]\n"
    "                  [--contrast N] [--brightness N] [SETTING...]\n"
    "       vantri-cli stats FILE... [--image K] [SETTING...] [--bins N] [--levels M] [--adjust-plane] "
    "[--csv]\n"
    "       vantri-cli mesh FILE [--image K] [SETTING...] --stl OUT [--ascii]\n"
    "       vantri-cli spectrum FILE [--image K] [SETTING...] [--linear] [--max-texture N] [--dump "
    "csv|f32le]\n"
    "       vantri-cli acf FILE [--image K] [SETTING...] [--max-texture N] [--dump csv|f32le]\n"
    "       vantri-cli profile FILE [--image K] [SETTING...] --from X0,Y0 --to X1,Y1 --width W [--height H]\n"
    "                  [--no-interpolation] [--no-normalize] [--no-cut] [--markers M1,M2] [--csv]\n"
    "SETTING, applied in the order given as the Surface menu applies it:\n"
    "  --jumps  --normalize  --flatten none|y|x|yx\n"
    "  --plane none|plane|parabola-x|parabola-y|paraboloid\n"
    "  --morph none|dilate3|erode3|dilate:WxH[@AX,AY]|erode:WxH[@AX,AY]\n"
    "  --filter none|mean3|mean5|mean7|mean:WxH[@AX,AY]|median3|median3x1|median1x3|median5|median5x1|\n"
    "           median1x5|median:WxH[@AX,AY]|laplace3|laplace5|gauss3|gauss5|highpass3|highpass5|\n"
    "           lowpass3|lowpass5|sharpen\n"
    "export writes the processed surface as a 32-bit BMP picture, one pixel a sample, row 0 at the top,\n"
    "through the colour fill (gray by default) with contrast and brightness N steps up or down (-99..99).\n"
    "OUT defaults to FILE with its extension replaced by .bmp, and by -K.bmp for an image K above 0.\n"
    "stats prints the statistics window's roughness of every image (or image K) of each FILE as a JSON\n"
    "line, with the histogram of N bins and the bearing curve of M levels when asked, and the ISO 25178\n"
    "height parameters; --csv prints a table of Ra, Rq, Sk and Ks instead.\n"
    "mesh writes the processed surface as the 3D view models it, closed by four walls and a flat bottom\n"
    "at height 0, as a solid to the STL file OUT: binary, or text with --ascii.\n"
    "spectrum and acf print the spectrum (logarithmic unless --linear) or auto-correlation window's\n"
    "texture of the processed surface as a JSON line, or with --dump its display levels, row 0 first;\n"
    "N, the largest texture side, is a power of two (8192 by default).\n"
    "profile prints what a profile window of client size W x H (H 365 by default) shows of the line from\n"
    "(X0, Y0) to (X1, Y1) in the image's model space (x from -columns/2 to columns/2, y from rows/2 at row\n"
    "0 down to -rows/2) as a JSON line, markers M1 and M2 at those distances along it, or with --csv the\n"
    "samples in physical units.\n";

int Usage(const char* problem) {
    if (problem)
        std::fprintf(stderr, "vantri-cli: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// Opens a path as the application does and returns the documents of its group, first image first.
std::vector<doc::CVantriDoc*> OpenGroup(doc::CSurfaceApp& app, const std::string& path) {
    auto* first = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    if (!first)
        return {};
    return first->GroupDocuments();
}

int Info(doc::CSurfaceApp& app, const std::vector<std::string>& files) {
    if (files.empty())
        return Usage("info needs at least one FILE");
    int status = 0;
    for (const std::string& file : files) {
        const int failedBefore = app.FailedOpens();
        for (doc::CVantriDoc* d : OpenGroup(app, file)) {
            cli::CJsonObject object;
            object.Add("file", fw::FromUtf8(file))
                .Add("format", d->FormatName())
                .Add("group", static_cast<long long>(d->group))
                .Add("image", static_cast<long long>(d->image))
                .Add("title", d->GetTitle())
                .Add("type", d->ImageType())
                .Add("columns", static_cast<long long>(d->columns))
                .Add("rows", static_cast<long long>(d->rows))
                .Add("raw_columns", static_cast<long long>(d->m_rawColumns))
                .Add("raw_rows", static_cast<long long>(d->m_rawRows))
                .Add("width", cli::QuantityJson(d->width))
                .Add("height", cli::QuantityJson(d->height))
                .Add("range", cli::QuantityJson(d->range));
            Print(object.Text());
        }
        std::fflush(stdout);
        if (app.FailedOpens() != failedBefore)
            status = 1;
    }
    return status;
}

// What the options are parsed for.
enum class Command { Dump, Process, Export };

struct COptions {
    std::string file;
    int image = 0;
    bool raw = false;
    std::string format = "csv";
    std::string out;
    std::string dump; // process: the format the processed grid is printed in instead of saving
    std::vector<cli::CSetting> settings;
    // export
    std::string bmp;
    unsigned fill = color::CConverter::kGray;
    bool negative = false;
    int contrast = 0, brightness = 0;
};

// Answers the kernel dialog of a custom setting with the geometry given on the command line.
class CCommandLineKernels : public doc::IKernelPrompt {
public:
    std::optional<doc::CKernelDialogValues> next;
    bool PromptKernel(doc::CKernelDialogValues& values) override {
        if (!next)
            return false;
        values = *next;
        return true;
    }
};

std::string s_problem;

// A whole decimal number in lo..hi.
bool ParseNumber(const std::string& text, long lo, long hi, long& number) {
    char* end = nullptr;
    errno = 0;
    number = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && !*end && errno == 0 && number >= lo && number <= hi;
}

// The arguments being parsed, one after another.
class CArgs {
public:
    explicit CArgs(const std::vector<std::string>& args) : m_args(args) {}
    bool More() const { return m_next < m_args.size(); }
    const std::string& Take() { return m_args[m_next++]; }
    // The value after an option; false when the option is last.
    bool Value(std::string& into) {
        if (!More())
            return false;
        into = Take();
        return true;
    }
    const std::vector<std::string>& All() const { return m_args; }
    std::size_t& Next() { return m_next; }

private:
    const std::vector<std::string>& m_args;
    std::size_t m_next = 0;
};

// Each parser below takes the option a (already taken from args) when it is one of its own and returns
// true; problem is then set when its value is wrong.

bool ParseDumpOption(const std::string& a, CArgs& args, COptions& options, const char*& problem) {
    if (a == "--raw" || a == "--processed") {
        options.raw = a == "--raw";
    } else if (a == "--format") {
        if (!args.Value(options.format) ||
            (options.format != "csv" && options.format != "f32le" && options.format != "i16le"))
            problem = "--format is csv, f32le or i16le";
    } else {
        return false;
    }
    return true;
}

bool ParseProcessOption(const std::string& a, CArgs& args, COptions& options, const char*& problem) {
    if (a == "--out") {
        if (!args.Value(options.out) || options.out.empty())
            problem = "--out needs a FILE";
    } else if (a == "--dump") {
        if (!args.Value(options.dump) || (options.dump != "csv" && options.dump != "f32le"))
            problem = "--dump is csv or f32le";
    } else {
        return false;
    }
    return true;
}

bool ParseExportOption(const std::string& a, CArgs& args, COptions& options, const char*& problem) {
    std::string text;
    long number = 0;
    if (a == "--bmp") {
        if (!args.Value(options.bmp) || options.bmp.empty())
            problem = "--bmp needs a file name";
    } else if (a == "--fill") {
        static const std::pair<const char*, unsigned> fills[] = {
            {"gray", color::CConverter::kGray},
            {"amber", color::CConverter::kAmber},
            {"marine", color::CConverter::kMarine},
            {"forest", color::CConverter::kForest},
        };
        const auto* found = std::end(fills);
        if (args.Value(text))
            found = std::find_if(std::begin(fills), std::end(fills),
                                 [&](const auto& fill) { return text == fill.first; });
        if (found == std::end(fills))
            problem = "--fill is gray, amber, marine or forest";
        else
            options.fill = found->second;
    } else if (a == "--negative") {
        options.negative = true;
    } else if (a == "--contrast" || a == "--brightness") {
        if (!args.Value(text) || !ParseNumber(text, -99, 99, number))
            problem = a == "--contrast" ? "--contrast needs a step from -99 to 99"
                                        : "--brightness needs a step from -99 to 99";
        else
            (a == "--contrast" ? options.contrast : options.brightness) = static_cast<int>(number);
    } else {
        return false;
    }
    return true;
}

// Parses FILE and the options after it; returns an error text or null.
const char* ParseOptions(const std::vector<std::string>& list, Command command, COptions& options) {
    CArgs args(list);
    while (args.More()) {
        // Settings come first: they are read from where they stand, value and all.
        if (command != Command::Dump) {
            std::string problem;
            switch (cli::ParseSetting(args.All(), args.Next(), options.settings, problem)) {
            case cli::SettingParse::Taken:
                ++args.Next();
                continue;
            case cli::SettingParse::Invalid:
                s_problem = problem;
                return s_problem.c_str();
            case cli::SettingParse::NotASetting:
                break;
            }
        }
        const std::string& a = args.Take();
        const char* problem = nullptr;
        std::string text;
        long number = 0;
        if (a == "--image") {
            if (!args.Value(text))
                return "--image needs a number";
            if (!ParseNumber(text, 0, 1000000, number))
                return "--image needs a number of 0 or more";
            options.image = static_cast<int>(number);
            continue;
        }
        const bool taken = command == Command::Dump      ? ParseDumpOption(a, args, options, problem)
                           : command == Command::Process ? ParseProcessOption(a, args, options, problem)
                                                         : ParseExportOption(a, args, options, problem);
        if (problem)
            return problem;
        if (taken)
            continue;
        if (!a.empty() && a[0] == '-' && a.size() > 1)
            return "unknown option";
        if (!options.file.empty())
            return "only one FILE is taken";
        options.file = a;
    }
    if (options.file.empty())
        return "FILE is missing";
    if (command == Command::Dump && options.format == "i16le" && !options.raw)
        return "i16le is the raw grid's format: add --raw";
    if (command == Command::Process && options.out.empty() == options.dump.empty())
        return "process needs either --out FILE or --dump csv|f32le";
    return nullptr;
}

doc::CVantriDoc* FindImage(const std::vector<doc::CVantriDoc*>& group, int image) {
    for (doc::CVantriDoc* d : group)
        if (d->image == image)
            return d;
    return nullptr;
}

doc::CVantriDoc* OpenImage(doc::CSurfaceApp& app, const COptions& options) {
    const std::vector<doc::CVantriDoc*> group = OpenGroup(app, options.file);
    if (group.empty())
        return nullptr;
    doc::CVantriDoc* d = FindImage(group, options.image);
    if (!d)
        std::fprintf(stderr, "vantri-cli: %s has no image %d\n", options.file.c_str(), options.image);
    return d;
}

template <typename T> void DumpCsv(const T* values, int columns, int rows) {
    std::string line;
    char cell[32];
    for (int i = 0; i < rows; ++i) {
        line.clear();
        for (int j = 0; j < columns; ++j) {
            const T v = values[static_cast<std::size_t>(j) + static_cast<std::size_t>(i) * columns];
            // As "%.9g" prints, in the C number format whatever the locale.
            std::to_chars_result end;
            if constexpr (std::is_floating_point_v<T>)
                end = std::to_chars(std::begin(cell), std::end(cell), static_cast<double>(v),
                                    std::chars_format::general, 9);
            else
                end = std::to_chars(std::begin(cell), std::end(cell), static_cast<int>(v));
            if (j)
                line += ',';
            line.append(cell, end.ptr);
        }
        Print(line);
    }
}

template <typename T> void DumpLittle(const T* values, std::size_t count) {
    std::vector<unsigned char> bytes(count * sizeof(T));
    for (std::size_t n = 0; n < count; ++n) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &values[n], sizeof(T));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        for (std::size_t k = 0; k < sizeof(T) / 2; ++k)
            std::swap(b[k], b[sizeof(T) - 1 - k]);
#endif
        std::memcpy(&bytes[n * sizeof(T)], b, sizeof(T));
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// The processed surface in csv or f32le.
int PrintProcessed(const doc::CVantriDoc& d, const std::string& format) {
    if (format == "csv")
        DumpCsv(d.heights.data(), d.columns, d.rows);
    else
        DumpLittle(d.heights.data(), d.heights.size());
    return 0;
}

int Dump(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    COptions options;
    if (const char* problem = ParseOptions(args, Command::Dump, options))
        return Usage(problem);
    doc::CVantriDoc* d = OpenImage(app, options);
    if (!d)
        return 1;
    if (!options.raw)
        return PrintProcessed(*d, options.format);
    if (options.format == "csv") {
        DumpCsv(d->m_raw.data(), d->m_rawColumns, d->m_rawRows);
    } else if (options.format == "i16le") {
        DumpLittle(d->m_raw.data(), d->m_raw.size());
    } else {
        const std::vector<float> values(d->m_raw.begin(), d->m_raw.end());
        DumpLittle(values.data(), values.size());
    }
    return 0;
}

// Passes every box on to the service in force and counts them.
class CCountedMessages : public fw::IMessageService {
public:
    int shown = 0;
    fw::MsgAnswer Show(const std::wstring& text, fw::MsgButtons buttons, fw::MsgIcon icon,
                       const std::wstring& title) override {
        ++shown;
        return m_next.Show(text, buttons, icon, title);
    }

private:
    fw::IMessageService& m_next = fw::Messages();
};

// Sends the settings' commands to the document in order, answering the kernel dialog of each. A
// refused stage shows the primitive's status and leaves the grid as it was, so any box shown here
// means a setting was not applied: false then.
bool ApplySettings(doc::CVantriDoc& d, const std::vector<cli::CSetting>& settings) {
    CCountedMessages counted;
    fw::CScopedMessages scoped(counted);
    CCommandLineKernels kernels;
    doc::IKernelPrompt* previous = doc::SetKernelPrompt(&kernels);
    for (const cli::CSetting& setting : settings) {
        kernels.next = setting.kernel;
        d.OnCommand(setting.command);
    }
    doc::SetKernelPrompt(previous);
    if (counted.shown == 0)
        return true;
    std::fputs("vantri-cli: a setting was refused; nothing is written\n", stderr);
    return false;
}

int Process(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    COptions options;
    if (const char* problem = ParseOptions(args, Command::Process, options))
        return Usage(problem);
    doc::CVantriDoc* d = OpenImage(app, options);
    if (!d)
        return 1;
    if (!ApplySettings(*d, options.settings))
        return 1;
    if (options.dump.empty())
        return d->OnFileSaveAs(fw::FromUtf8(options.out)) ? 0 : 1;
    return PrintProcessed(*d, options.dump);
}

// The surface in the screen's colours, row 0 at the top of the picture: BMP rows run bottom-up.
int Export(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    COptions options;
    if (const char* problem = ParseOptions(args, Command::Export, options))
        return Usage(problem);
    const std::string out = options.bmp.empty() ? m2D::BmpPathFor(options.file, options.image) : options.bmp;
    std::error_code ignored;
    if (std::filesystem::equivalent(options.file, out, ignored)) {
        std::fprintf(stderr, "vantri-cli: %s would overwrite the scan itself; name another with --bmp\n",
                     out.c_str());
        return 2;
    }
    doc::CVantriDoc* d = OpenImage(app, options);
    if (!d)
        return 1;
    if (!ApplySettings(*d, options.settings))
        return 1;
    const int columns = d->columns, rows = d->rows;
    if (columns < 1 || rows < 1 || d->heights.size() != std::size_t(columns) * std::size_t(rows)) {
        std::fprintf(stderr, "vantri-cli: %s has no surface to export\n", options.file.c_str());
        return 1;
    }
    color::CConverter converter;
    converter.SetType(options.fill);
    converter.SetNegative(options.negative ? 1 : 0);
    color::CAttenuator attenuator;
    for (int n = 0; n < options.contrast; ++n)
        attenuator.ContrastUp();
    for (int n = 0; n > options.contrast; --n)
        attenuator.ContrastDown();
    for (int n = 0; n < options.brightness; ++n)
        attenuator.BrightnessUp();
    for (int n = 0; n > options.brightness; --n)
        attenuator.BrightnessDown();
    std::vector<std::uint8_t> pixels;
    try {
        pixels.resize(std::size_t(columns) * std::size_t(rows) * 4);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vantri-cli: not enough memory for a %d x %d picture\n", columns, rows);
        return 1;
    }
    for (int i = 0; i < rows; ++i)
        color::TransferBgra(d->heights.data() + std::size_t(i) * columns, columns, 1, converter, attenuator,
                            pixels.data() + std::size_t(rows - 1 - i) * columns * 4);
    if (!m2D::WriteBmp(out, pixels.data(), columns, rows)) {
        std::fprintf(stderr, "vantri-cli: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

// Every image (or image K) of each file, opened as info opens them and corrected as process corrects
// them; a file that fails to open, lacks image K or refuses a setting makes the status 1, and the
// others are still printed.
int Stats(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    cli::CStatsOptions options;
    const std::string problem = cli::ParseStatsOptions(args, options);
    if (!problem.empty())
        return Usage(problem.c_str());
    int status = 0;
    cli::CStatsCsv table;
    for (const std::string& file : options.files) {
        const int failedBefore = app.FailedOpens();
        const std::vector<doc::CVantriDoc*> group = OpenGroup(app, file);
        if (app.FailedOpens() != failedBefore || group.empty())
            status = 1;
        std::vector<doc::CVantriDoc*> chosen = group;
        if (options.image >= 0 && !group.empty()) {
            chosen.clear();
            if (doc::CVantriDoc* d = FindImage(group, options.image)) {
                chosen.push_back(d);
            } else {
                std::fprintf(stderr, "vantri-cli: %s has no image %d\n", file.c_str(), options.image);
                status = 1;
            }
        }
        for (doc::CVantriDoc* d : chosen) {
            if (!ApplySettings(*d, options.settings)) {
                status = 1;
                continue;
            }
            if (options.csv)
                table.Add(fw::FromUtf8(file), d->image, *d);
            else
                Print(cli::StatsJson(fw::FromUtf8(file), d->image, *d, options));
        }
        std::fflush(stdout);
    }
    if (options.csv) {
        const std::string text = table.Text();
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return status;
}

// The processed surface of one image as a closed solid in an STL file.
int Mesh(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    cli::CMeshOptions options;
    const std::string problem = cli::ParseMeshOptions(args, options);
    if (!problem.empty())
        return Usage(problem.c_str());
    std::error_code ignored;
    if (std::filesystem::equivalent(options.file, options.stl, ignored)) {
        std::fprintf(stderr, "vantri-cli: %s would overwrite the scan itself; name another with --stl\n",
                     options.stl.c_str());
        return 2;
    }
    COptions image;
    image.file = options.file;
    image.image = options.image;
    doc::CVantriDoc* d = OpenImage(app, image);
    if (!d || !ApplySettings(*d, options.settings))
        return 1;
    std::string failure;
    if (cli::WriteSurfaceStl(*d, options, failure))
        return 0;
    std::fprintf(stderr, "vantri-cli: %s\n", failure.c_str());
    return 1;
}

// One image of a file with the settings applied, when it has a whole surface; else null, said why.
doc::CVantriDoc* OpenSurface(doc::CSurfaceApp& app, const std::string& file, int number,
                             const std::vector<cli::CSetting>& settings) {
    COptions image;
    image.file = file;
    image.image = number;
    doc::CVantriDoc* d = OpenImage(app, image);
    if (!d || !ApplySettings(*d, settings))
        return nullptr;
    if (d->heights.size() != static_cast<std::size_t>(d->columns) * static_cast<std::size_t>(d->rows)) {
        std::fprintf(stderr, "vantri-cli: %s has no surface\n", file.c_str());
        return nullptr;
    }
    return d;
}

// The spectrum or auto-correlation window's texture of one image.
int Spectral(doc::CSurfaceApp& app, const std::vector<std::string>& args, bool correlation) {
    cli::CSpectralOptions options;
    options.correlation = correlation;
    const std::string problem = cli::ParseSpectralOptions(args, options);
    if (!problem.empty())
        return Usage(problem.c_str());
    doc::CVantriDoc* d = OpenSurface(app, options.file, options.image, options.settings);
    if (!d)
        return 1;
    fourier::CSpectralTexture texture;
    const int status = correlation ? fourier::BuildCorrelation(d->heights.data(), d->columns, d->rows,
                                                               options.maxTexture, texture)
                                   : fourier::BuildSpectrum(d->heights.data(), d->columns, d->rows,
                                                            options.maxTexture, !options.linear, texture);
    if (status != 0) {
        std::fprintf(stderr, "vantri-cli: %s: %s\n", options.file.c_str(),
                     fw::ToUtf8(doc::kern::StatusText(status)).c_str());
        return 1;
    }
    if (options.dump.empty()) {
        Print(cli::SpectralJson(fw::FromUtf8(options.file), d->image, texture, options));
    } else {
        const std::string bytes = cli::RegionBytes(texture, options.dump);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }
    return 0;
}

// What a profile window shows of a line on one image.
int Profile(doc::CSurfaceApp& app, const std::vector<std::string>& args) {
    cli::CProfileOptions options;
    const std::string problem = cli::ParseProfileOptions(args, options);
    if (!problem.empty())
        return Usage(problem.c_str());
    doc::CVantriDoc* d = OpenSurface(app, options.file, options.image, options.settings);
    if (!d || d->columns <= 0 || d->rows <= 0)
        return 1;
    const prof::ProfileModel profile = cli::MakeProfile(*d, options);
    if (options.csv) {
        const std::string table = profile.Table(*d, ',');
        std::fwrite(table.data(), 1, table.size(), stdout);
    } else {
        Print(cli::ProfileJson(profile, *d));
    }
    return 0;
}

int Run(const std::string& command, const std::vector<std::string>& args) {
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    if (command == "info")
        return Info(app, args);
    if (command == "dump")
        return Dump(app, args);
    if (command == "process")
        return Process(app, args);
    if (command == "export")
        return Export(app, args);
    if (command == "stats")
        return Stats(app, args);
    if (command == "mesh")
        return Mesh(app, args);
    if (command == "spectrum" || command == "acf")
        return Spectral(app, args, command == "acf");
    if (command == "profile")
        return Profile(app, args);
    return Usage("unknown command");
}

// A failed write leaves the stream's error flag set, so one look at the end covers every write.
int CheckOutput(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    std::fputs("vantri-cli: cannot write to standard output\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The user's locale, as any program takes it; what is printed stays in the C number format.
    std::setlocale(LC_ALL, "");
    if (argc < 2)
        return Usage(nullptr);
    return CheckOutput(Run(argv[1], std::vector<std::string>(argv + 2, argv + argc)));
}
