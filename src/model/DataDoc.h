#pragma once
// The surface container: a grid of heights in [0, 1] with its physical extents.
#include <vector>

#include "model/phSize.h"
#include "processing/GridAllocator.h"

namespace doc {

class CDataDoc {
public:
    CDataDoc();
    CDataDoc(const CDataDoc& other) = default;
    CDataDoc& operator=(const CDataDoc& other) = default;
    virtual ~CDataDoc() = default;

    // Element (column j, row i) is heights[j + i * columns]; row 0 is the first line of the file.
    TGrid<float> heights;
    int columns = 0;
    int rows = 0;
    ph::Size width;  // along a line (X)
    ph::Size height; // across lines (Y)
    ph::Size range;  // the physical height the span 0..1 stands for (Z)
};

} // namespace doc
