#include "processing/Fourier.h"

#include <fftw3.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "processing/Busy.h"
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsSimd.h"

namespace doc::fourier {

namespace {

using namespace kern;
using Size = std::pair<int, int>; // columns, rows

// The background planner gives up measuring a size after this long and keeps the best plan found:
// while it measures it holds the planner mutex, and a spectrum of a size not yet planned waits for it.
constexpr double kMeasureSeconds = 3.0;

struct CEntry {
    fftwf_plan estimated = nullptr;
    std::atomic<fftwf_plan> measured{nullptr};
};

struct CCache {
    std::mutex planner; // every FFTW planner call
    std::mutex table;   // entries, queue and worker below; held only briefly
    std::condition_variable idle;
    std::map<Size, std::unique_ptr<CEntry>> entries;
    std::deque<Size> queue;
    bool working = false;
    bool wisdomRead = false;
};

// Never destroyed: a detached measurement may still be running when the process ends.
CCache& Cache() {
    static CCache* cache = new CCache;
    return *cache;
}

// The transform runs out of place, straight from the surface's cells (any pointer FFTW's vector code
// may load from as it loads from the planning arrays), into rows of columns / 2 + 1 complex numbers:
// the surface is neither copied nor changed. The 0.5 every cell is taken about changes F(0, 0) alone,
// which is corrected after the transform.
std::size_t ComplexColumns(int columns) {
    return static_cast<std::size_t>(columns) / 2 + 1;
}

std::size_t InputFloats(int columns, int rows) {
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
}

std::size_t OutputFloats(int columns, int rows) {
    return 2 * ComplexColumns(columns) * static_cast<std::size_t>(rows);
}

fftwf_plan MakePlan(float* in, fftwf_complex* out, int columns, int rows, unsigned flags) {
    return fftwf_plan_dft_r2c_2d(rows, columns, in, out, flags);
}

// Arrays of a size's shape for the planner; FFTW_MEASURE writes over them.
struct CPlanningArrays {
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    CPlanningArrays(int columns, int rows)
        : in(static_cast<float*>(fftwf_malloc(sizeof(float) * InputFloats(columns, rows)))),
          out(static_cast<fftwf_complex*>(fftwf_malloc(sizeof(float) * OutputFloats(columns, rows)))) {}
    ~CPlanningArrays() {
        fftwf_free(in);
        fftwf_free(out);
    }
    CPlanningArrays(const CPlanningArrays&) = delete;
    CPlanningArrays& operator=(const CPlanningArrays&) = delete;
    explicit operator bool() const { return in && out; }
};

bool ImportLocked() {
    const std::string path = WisdomPath();
    return !path.empty() && fftwf_import_wisdom_from_filename(path.c_str()) != 0;
}

std::string ExportLocked() {
    char* text = fftwf_export_wisdom_to_string();
    std::string wisdom = text ? text : "";
    std::free(text);
    return wisdom;
}

bool WriteWisdom(const std::string& wisdom) {
    const std::string path = WisdomPath();
    if (path.empty() || wisdom.empty())
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), error);
    // A process ended while writing leaves the temporary file, never half a wisdom file.
    const fs::path temporary = target.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!(out << wisdom) || !out.flush()) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

// The background thread: measures each queued size on arrays of its own, which FFTW_MEASURE
// overwrites, then hands the plan to the cache and the wisdom to the file.
void Measure() {
    CCache& cache = Cache();
    for (;;) {
        Size size;
        CEntry* entry = nullptr;
        {
            std::lock_guard<std::mutex> lock(cache.table);
            if (cache.queue.empty()) {
                cache.working = false;
                cache.idle.notify_all();
                return;
            }
            size = cache.queue.front();
            cache.queue.pop_front();
            entry = cache.entries.at(size).get();
        }
        fftwf_plan plan = nullptr;
        std::string wisdom;
        {
            const CPlanningArrays arrays(size.first, size.second);
            if (!arrays)
                continue;
            std::lock_guard<std::mutex> lock(cache.planner);
            fftwf_set_timelimit(kMeasureSeconds);
            plan = MakePlan(arrays.in, arrays.out, size.first, size.second, FFTW_MEASURE);
            fftwf_set_timelimit(FFTW_NO_TIMELIMIT);
            if (plan)
                wisdom = ExportLocked();
        }
        if (plan) {
            entry->measured.store(plan, std::memory_order_release);
            WriteWisdom(wisdom);
        }
    }
}

// The plan to run a columns x rows spectrum on now. Sets once when the plan belongs to this call alone
// and must be destroyed after it.
fftwf_plan Acquire(int columns, int rows, bool& once) {
    CCache& cache = Cache();
    once = false;
    const Size size{columns, rows};
    bool full = false;
    {
        std::lock_guard<std::mutex> lock(cache.table);
        const auto found = cache.entries.find(size);
        if (found != cache.entries.end()) {
            if (fftwf_plan measured = found->second->measured.load(std::memory_order_acquire))
                return measured;
            return found->second->estimated;
        }
        full = cache.entries.size() >= static_cast<std::size_t>(kCachedSizes);
    }
    fftwf_plan plan = nullptr;
    bool measured = false;
    {
        // Neither planning from wisdom nor estimating touches the arrays: their pages are never used.
        const CPlanningArrays arrays(columns, rows);
        if (!arrays)
            return nullptr;
        std::lock_guard<std::mutex> lock(cache.planner);
        if (!cache.wisdomRead) {
            cache.wisdomRead = true;
            ImportLocked();
        }
        // Wisdom of this size costs nothing to use; FFTW_WISDOM_ONLY makes no plan without it.
        plan = MakePlan(arrays.in, arrays.out, columns, rows, FFTW_MEASURE | FFTW_WISDOM_ONLY);
        measured = plan != nullptr;
        if (!plan)
            plan = MakePlan(arrays.in, arrays.out, columns, rows, FFTW_ESTIMATE);
    }
    if (!plan)
        return nullptr;
    if (full) {
        once = true;
        return plan;
    }
    fftwf_plan existing = nullptr;
    bool startWorker = false;
    {
        std::lock_guard<std::mutex> lock(cache.table);
        auto& slot = cache.entries[size];
        if (slot) { // another thread planned the size meanwhile
            existing = slot->measured.load(std::memory_order_acquire);
            if (!existing)
                existing = slot->estimated;
        } else {
            slot = std::make_unique<CEntry>();
            if (measured) {
                slot->measured.store(plan, std::memory_order_release);
            } else {
                slot->estimated = plan;
                cache.queue.push_back(size);
                startWorker = !cache.working;
                cache.working = true;
            }
        }
    }
    if (existing) {
        std::lock_guard<std::mutex> lock(cache.planner);
        fftwf_destroy_plan(plan);
        return existing;
    }
    if (startWorker) {
        try {
            std::thread(Measure).detach();
        } catch (const std::system_error&) {
            // No thread: the size keeps its estimated plan.
            std::lock_guard<std::mutex> lock(cache.table);
            cache.queue.clear();
            cache.working = false;
            cache.idle.notify_all();
        }
    }
    return plan;
}

void Release(fftwf_plan plan) {
    std::lock_guard<std::mutex> lock(Cache().planner);
    fftwf_destroy_plan(plan);
}

// The source row (or column) that lands on index i of a side of n cells after the exchange of the
// first n / 2 with the next n / 2.
inline int Exchanged(int i, int n) {
    const int h = n / 2;
    return i < h ? i + h : (i < 2 * h ? i - h : i);
}

namespace simd = kern::simd;

// The powers (re^2 + im^2) s^2 of the L complex numbers at z, in their order or reversed.
template <int L, bool Backwards>
__attribute__((always_inline)) inline void PowerLanes(const fftwf_complex* z, float scale, float* out) {
    if constexpr (L == 1) {
        const float re = z[0][0], im = z[0][1];
        out[0] = (re * re + im * im) * (scale * scale);
    } else {
        using Floats = simd::Lanes<float, L>;
        Floats a, b;
        simd::Load(a, z[0]);
        simd::Load(b, z[L / 2]);
        a *= a;
        b *= b;
        Floats even, odd;
        simd::Deinterleave<L>(a, b, even, odd);
        Floats sum = (even + odd) * (scale * scale);
        if constexpr (Backwards)
            simd::Reverse<L>(sum);
        simd::Store(out, sum);
    }
}

// One output row of powers: cells [0, count) take frequencies u0, u0 + 1, ...; those past the stored
// half come from the conjugate cell (columns - u, -w), read backwards.
template <int L>
__attribute__((always_inline)) inline void PowerSpan(const fftwf_complex* direct, const fftwf_complex* mirror,
                                                     int columns, int u0, int count, float scale,
                                                     float* out) {
    const int stored = static_cast<int>(ComplexColumns(columns));
    const int head = std::max(0, std::min(count, stored - u0));
    simd::Sweep<L>(
        head, [&](int n, auto lanes) __attribute__((always_inline)) {
            PowerLanes<decltype(lanes)::value, false>(direct + u0 + n, scale, out + n);
        });
    // Cell n reads mirror[columns - u0 - n]: a vector of cells n .. n + N - 1 reads N numbers that
    // end there, and turns them round.
    const fftwf_complex* back = mirror + (columns - u0);
    simd::Sweep<L>(
        count - head, [&](int i, auto lanes) __attribute__((always_inline)) {
            constexpr int N = decltype(lanes)::value;
            const int n = head + i;
            PowerLanes<N, (N > 1)>(back - n - (N - 1), scale, out + n);
        });
}

// A thread's buffer, kept from one spectrum to the next: a 4096 x 4096 transform's 64 MiB would
// otherwise be allocated, and its pages first touched, on every rebuild. A buffer more than four
// times larger than asked for is given back. Aligned by fftwf_malloc as the plans expect.
class CBuffer {
public:
    ~CBuffer() { fftwf_free(m_data); }
    float* Get(std::size_t floats) {
        if (m_data && m_floats >= floats && m_floats / 4 <= floats)
            return m_data;
        fftwf_free(m_data);
        m_data = static_cast<float*>(fftwf_malloc(sizeof(float) * floats));
        m_floats = m_data ? floats : 0;
        return m_data;
    }

private:
    float* m_data = nullptr;
    std::size_t m_floats = 0;
};

// A surface of one height: its spectrum is the zero frequency's alone, written without a transform
// (whose rounding would leave specks of the order of 1e-7 where the spectrum is exactly 0).
bool Constant(const float* src, std::size_t cells) {
    const float first = src[0];
    for (std::size_t i = 1; i < cells; ++i)
        if (!(src[i] == first))
            return false;
    return first == first;
}

} // namespace

int PowerSpectrum(const float* src, int columns, int rows, float* dst, std::size_t stride,
                  const RowHook& hook) {
    if (!src || !dst)
        return StsNullPtr;
    if (columns < 1 || rows < 1 || (stride != 0 && stride < static_cast<std::size_t>(columns)))
        return StsSize;
    const std::size_t cells = InputFloats(columns, rows);
    auto row = [&](int r) { return dst + static_cast<std::size_t>(r) * stride; };
    if (Constant(src, cells)) {
        const float amplitude = 2.0f * (src[0] - 0.5f);
        for (int r = 0; r < rows; ++r) {
            std::fill_n(row(r), columns, 0.0f);
            if (r == rows / 2)
                row(r)[columns / 2] = amplitude * amplitude;
            if (hook)
                hook(r, row(r));
        }
        return StsNoErr;
    }
    thread_local CBuffer output, input;
    auto* spectrum = reinterpret_cast<fftwf_complex*>(output.Get(OutputFloats(columns, rows)));
    if (!spectrum)
        return StsNoMem;
    // FFTW's vector code expects the input aligned as the planning arrays were: a surface that is not
    // is copied first.
    float* in = const_cast<float*>(src); // r2c transforms keep their input by default
    if (fftwf_alignment_of(in) != 0) {
        in = input.Get(cells);
        if (!in)
            return StsNoMem;
        std::copy_n(src, cells, in);
    }
    bool once = false;
    busy::Tick();
    fftwf_plan plan = Acquire(columns, rows, once);
    if (!plan)
        return StsFftPlan;
    busy::Tick();
    fftwf_execute_dft_r2c(plan, in, spectrum);
    busy::Tick();
    if (once)
        Release(plan);
    spectrum[0][0] =
        static_cast<float>(static_cast<double>(spectrum[0][0]) - 0.5 * static_cast<double>(cells));

    // F is normalised by columns * rows and the amplitude is twice its modulus.
    const float scale = static_cast<float>(2.0 / static_cast<double>(cells));
    const std::size_t half = ComplexColumns(columns);
    const int k = columns / 2;
    for (int r = 0; r < rows; ++r) {
        const int w = Exchanged(r, rows);
        const fftwf_complex* direct = spectrum + static_cast<std::size_t>(w) * half;
        const fftwf_complex* mirror = spectrum + static_cast<std::size_t>((rows - w) % rows) * half;
        float* out = row(r);
        simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
            constexpr int L = decltype(bytes)::value / 4;
            PowerSpan<L>(direct, mirror, columns, k, k, scale, out);     // cells 0 .. k - 1
            PowerSpan<L>(direct, mirror, columns, 0, k, scale, out + k); // cells k .. 2k - 1
            PowerSpan<L>(direct, mirror, columns, 2 * k, columns - 2 * k, scale, out + 2 * k); // odd: last
        });
        if (hook)
            hook(r, out);
        if (r % 256 == 255)
            busy::Tick();
    }
    return StsNoErr;
}

int AmplitudeSpectrum(const float* src, float* dst, int columns, int rows) {
    // PowerSpectrum checks the arguments before it writes; dst may be src: the transform has read every cell
    // before the first row is written.
    return PowerSpectrum(src, columns, rows, dst, static_cast<std::size_t>(columns),
                         [columns](int, float* row) {
                             for (int x = 0; x < columns; ++x)
                                 row[x] = std::sqrt(row[x]);
                         });
}

PlanState StateOf(int columns, int rows) {
    CCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.table);
    const auto found = cache.entries.find({columns, rows});
    if (found == cache.entries.end())
        return PlanState::None;
    return found->second->measured.load(std::memory_order_acquire) ? PlanState::Measured
                                                                   : PlanState::Estimated;
}

void WaitForMeasuredPlans() {
    CCache& cache = Cache();
    std::unique_lock<std::mutex> lock(cache.table);
    cache.idle.wait(lock, [&] { return !cache.working; });
}

std::string WisdomPath() {
    if (const char* own = std::getenv("VANTRI_FFTW_WISDOM"))
        return std::strcmp(own, "off") == 0 ? std::string() : std::string(own);
    std::filesystem::path folder;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/')
        folder = xdg;
    else if (home && home[0] == '/')
        folder = std::filesystem::path(home) / ".cache";
    else
        return {};
    return (folder / "vantri" / "fftwf-wisdom").string();
}

bool ImportWisdom() {
    std::lock_guard<std::mutex> lock(Cache().planner);
    return ImportLocked();
}

bool ExportWisdom() {
    std::string wisdom;
    {
        std::lock_guard<std::mutex> lock(Cache().planner);
        wisdom = ExportLocked();
    }
    return WriteWisdom(wisdom);
}

} // namespace doc::fourier
