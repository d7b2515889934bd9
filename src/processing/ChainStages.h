#pragma once
// The stages of the correction chain that work on the processed grid in place: keeping it inside
// [0, 1], the "Normalize" command, jump elimination and flattening. A grid is columns x rows floats,
// row-major: cell (j, i) is grid[j + i * columns].

namespace doc {

// Brings the grid back into [0, 1] after a stage that may have moved it. A span above 1 is stretched
// onto [0, 1] and returned; a smaller span is only re-centred on 0.5 (when it is off centre by more
// than 1/16 or leaves [0, 1]) and 1 is returned. An empty grid returns 1.
double FitToUnit(float* grid, int columns, int rows);
// The smallest and the largest value of a grid.
struct CValueRange {
    float lo = 0.0f, hi = 0.0f;
};

// The same from grid into out (which may be grid): out receives the grid fitted, or as it is. known,
// when given, is the grid's range as Normalize measured it.
double FitToUnit(const float* grid, float* out, int columns, int rows, const CValueRange* known = nullptr);

// What the "Normalize" command measured, re-applied on every later run of the chain.
struct CNormalizeState {
    bool pending = false;
    double span = 1.0;
    float offset = 0.0f;
};

// When pending, measures offset and span so that the grid becomes exactly [0, 1]; then, and on every
// later call while the span differs from 1, maps v to (v - offset) / span and returns the span.
// - A flat grid has no span: the state keeps span 1 and the grid is only shifted to 0, once.
// - An empty grid returns 1 and leaves a pending measurement pending.
double Normalize(float* grid, int columns, int rows, CNormalizeState& state);
// The same from grid into out (which may be grid): out receives the grid mapped, or as it is. range,
// when given and the grid is not empty, receives the range of out, measured on the way.
double Normalize(const float* grid, float* out, int columns, int rows, CNormalizeState& state,
                 CValueRange* range = nullptr);

// Removes offsets between whole scan rows: a step between the means of two adjacent rows larger than
// e times the median row-to-row step lifts every following row by it, and the rows at each step are
// interpolated from their neighbours (step rows that reach the last row become copies of the row
// before them). Does nothing with fewer than 2 rows or columns.
void EliminateJumps(float* grid, int columns, int rows);

enum class Flattening : int { None = 0, OnY = 1, OnX = 2, OnYX = 3 };

// Levels by median differences: OnY between adjacent rows, OnX between adjacent columns, OnYX rows
// then columns; None and anything else do nothing. A grid with fewer than 2 rows or columns is left
// alone.
void Flatten(float* grid, int columns, int rows, Flattening mode);

} // namespace doc
