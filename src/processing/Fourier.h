#pragma once
// The amplitude spectrum of the spectrum window, on FFTW's single-precision real-to-complex transform,
// and the plans it runs on.
//
// Plans. A measured plan (FFTW_MEASURE) of 4096 x 4096 takes FFTW seconds to find; an estimated one is
// made at once but runs slower. So the first spectrum of a size runs on whatever costs nothing now: a
// measured plan from the wisdom file when the file has one, else an estimated plan. In the latter case
// a background thread then measures a plan for that size on arrays of its own, puts it in the cache
// for the following spectra and writes the wisdom file, so that the next session starts measured.
// FFTW's planner is not thread-safe: every planner call (making and destroying plans, wisdom in and
// out) holds one mutex. Executing a plan on new arrays (fftwf_execute_dft_r2c) is thread-safe, and
// that is all a spectrum does outside the mutex. Plans are never destroyed while the process runs, so
// no thread can lose the plan it executes; the cache keeps at most kCachedSizes sizes, and a size
// beyond those gets an estimated plan for that call alone. The background thread is detached and
// the cache is never destroyed: at exit nothing waits for a measurement, and no static destructor can
// pull FFTW state from under it.
//
// The wisdom file is $VANTRI_FFTW_WISDOM when set ("" or "off" turns wisdom off), else
// $XDG_CACHE_HOME/vantri/fftwf-wisdom, else ~/.cache/vantri/fftwf-wisdom; the folder is made when
// missing and any failure to read or write it is ignored.
#include <cstddef>
#include <functional>
#include <string>

namespace doc::fourier {

constexpr int kCachedSizes = 16;

// Amplitudes 2 |F(u, w)| of F = (1 / (columns rows)) sum (v - 0.5) exp(-2 pi i (u x / columns +
// w y / rows)), columns x rows cells from src into dst (which may be src), the zero frequency centred:
// rows i and i + rows / 2 exchanged for i < rows / 2, then columns j and j + columns / 2 likewise, so
// that it lands on (columns / 2, rows / 2) and with an odd side the last row or column stays put.
// Returns a kern status (0 for success); on any other status dst is left as it was.
int AmplitudeSpectrum(const float* src, float* dst, int columns, int rows);

// The same spectrum's squared amplitudes, row r into dst + r * stride (stride >= columns; dst may be
// src with stride columns; stride 0 writes every row into the one row at dst, for a hook that takes
// each away). hook, when given, is called with each row as soon as it is written, while it is still
// in the cache, and may change it. A surface of one height is not transformed: its
// spectrum is exactly 0 but at the centre. The same statuses as AmplitudeSpectrum.
using RowHook = std::function<void(int row, float* cells)>;
int PowerSpectrum(const float* src, int columns, int rows, float* dst, std::size_t stride,
                  const RowHook& hook = nullptr);

// How the cache plans a size now.
enum class PlanState { None, Estimated, Measured };
PlanState StateOf(int columns, int rows);

// Blocks until the background thread has measured every size it was given.
void WaitForMeasuredPlans();

// The wisdom file as the environment names it now; empty when wisdom is off.
std::string WisdomPath();
// Reads the wisdom file into FFTW (true when it held wisdom FFTW took) and writes FFTW's wisdom to it
// (through a temporary file and a rename, true when written). Both hold the planner mutex.
bool ImportWisdom();
bool ExportWisdom();

} // namespace doc::fourier
