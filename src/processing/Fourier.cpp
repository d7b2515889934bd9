#include "processing/Fourier.h"

#include <fftw3.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
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

#include "processing/kernels/Kernels.h"

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

// The in-place layout of the real-to-complex transform: rows of columns / 2 + 1 complex numbers, the
// real input in the first columns floats of each.
std::size_t ComplexColumns(int columns) {
    return static_cast<std::size_t>(columns) / 2 + 1;
}

std::size_t WorkFloats(int columns, int rows) {
    return 2 * ComplexColumns(columns) * static_cast<std::size_t>(rows);
}

fftwf_plan MakePlan(float* work, int columns, int rows, unsigned flags) {
    return fftwf_plan_dft_r2c_2d(rows, columns, work, reinterpret_cast<fftwf_complex*>(work), flags);
}

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
        float* work = static_cast<float*>(fftwf_malloc(sizeof(float) * WorkFloats(size.first, size.second)));
        if (!work)
            continue;
        fftwf_plan plan = nullptr;
        std::string wisdom;
        {
            std::lock_guard<std::mutex> lock(cache.planner);
            fftwf_set_timelimit(kMeasureSeconds);
            plan = MakePlan(work, size.first, size.second, FFTW_MEASURE);
            fftwf_set_timelimit(FFTW_NO_TIMELIMIT);
            if (plan)
                wisdom = ExportLocked();
        }
        fftwf_free(work);
        if (plan) {
            entry->measured.store(plan, std::memory_order_release);
            WriteWisdom(wisdom);
        }
    }
}

// The plan to run a columns x rows spectrum on now; work is the caller's buffer (its contents may be
// overwritten). Sets once when the plan belongs to this call alone and must be destroyed after it.
fftwf_plan Acquire(float* work, int columns, int rows, bool& once) {
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
        std::lock_guard<std::mutex> lock(cache.planner);
        if (!cache.wisdomRead) {
            cache.wisdomRead = true;
            ImportLocked();
        }
        // Wisdom of this size costs nothing to use; FFTW_WISDOM_ONLY makes no plan without it.
        plan = MakePlan(work, columns, rows, FFTW_MEASURE | FFTW_WISDOM_ONLY);
        measured = plan != nullptr;
        if (!plan)
            plan = MakePlan(work, columns, rows, FFTW_ESTIMATE);
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

// One output row of amplitudes: cells [c0, c0 + count) take frequencies u0, u0 + 1, ...; those past
// the stored half come from the conjugate cell (columns - u, -w).
void AmplitudeSpan(const fftwf_complex* direct, const fftwf_complex* mirror, int columns, int u0, int count,
                   float scale, float* out) {
    const int stored = static_cast<int>(ComplexColumns(columns));
    const int head = std::max(0, std::min(count, stored - u0));
    for (int n = 0; n < head; ++n) {
        const float re = direct[u0 + n][0], im = direct[u0 + n][1];
        out[n] = scale * std::sqrt(re * re + im * im);
    }
    for (int n = head; n < count; ++n) {
        const fftwf_complex& z = mirror[columns - (u0 + n)];
        out[n] = scale * std::sqrt(z[0] * z[0] + z[1] * z[1]);
    }
}

// The calling thread's work buffer, kept from one spectrum to the next: a 4096 x 4096 transform's
// 64 MiB would otherwise be allocated, and its pages first touched, on every rebuild. A buffer more
// than four times larger than asked for is given back. Aligned by fftwf_malloc as the plans expect.
float* WorkBuffer(std::size_t floats) {
    struct CWork {
        float* data = nullptr;
        std::size_t floats = 0;
        ~CWork() { fftwf_free(data); }
    };
    thread_local CWork work;
    if (work.data && work.floats >= floats && work.floats / 4 <= floats)
        return work.data;
    fftwf_free(work.data);
    work.data = static_cast<float*>(fftwf_malloc(sizeof(float) * floats));
    work.floats = work.data ? floats : 0;
    return work.data;
}

} // namespace

int AmplitudeSpectrum(const float* src, float* dst, int columns, int rows) {
    if (!src || !dst)
        return StsNullPtr;
    if (columns < 1 || rows < 1)
        return StsSize;
    const std::size_t stride = 2 * ComplexColumns(columns);
    float* work = WorkBuffer(WorkFloats(columns, rows));
    if (!work)
        return StsNoMem;
    bool once = false;
    fftwf_plan plan = Acquire(work, columns, rows, once);
    if (!plan)
        return StsFftPlan;
    for (int y = 0; y < rows; ++y) {
        const float* in = src + static_cast<std::size_t>(y) * columns;
        float* row = work + y * stride;
        for (int x = 0; x < columns; ++x)
            row[x] = in[x] - 0.5f;
    }
    auto* spectrum = reinterpret_cast<fftwf_complex*>(work);
    fftwf_execute_dft_r2c(plan, work, spectrum);
    if (once)
        Release(plan);

    // F is normalised by columns * rows and the amplitude is twice its modulus.
    const float scale = static_cast<float>(2.0 / (static_cast<double>(columns) * rows));
    const std::size_t half = ComplexColumns(columns);
    const int k = columns / 2;
    for (int r = 0; r < rows; ++r) {
        const int w = Exchanged(r, rows);
        const fftwf_complex* direct = spectrum + static_cast<std::size_t>(w) * half;
        const fftwf_complex* mirror = spectrum + static_cast<std::size_t>((rows - w) % rows) * half;
        float* out = dst + static_cast<std::size_t>(r) * columns;
        AmplitudeSpan(direct, mirror, columns, k, k, scale, out);     // cells 0 .. k - 1
        AmplitudeSpan(direct, mirror, columns, 0, k, scale, out + k); // cells k .. 2k - 1
        AmplitudeSpan(direct, mirror, columns, 2 * k, columns - 2 * k, scale, out + 2 * k); // odd: last
    }
    return StsNoErr;
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
