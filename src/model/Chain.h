#pragma once
// The correction chain of one document. It runs the stages from the raw counts and keeps what they
// made, so that a change of one setting reruns the chain only from the first stage whose setting
// changed, and going back to earlier settings finds their result kept.
//
// What is kept, and the bound: the output of every stage that ran (a stage switched off changes
// nothing and has none of its own), each keyed by the settings of the stages up to it, and the
// results the document showed before. At most kMaxGrids grids are kept, and no more bytes than the
// larger of kBudgetBytes and two grids; the grid used longest ago goes first. One grid given up is
// held back for the next grid the chain needs, so that a rerun writes into pages it already has.
// Nothing is kept until Keep(true): the run of a file's open keeps only its result.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "processing/ChainStages.h"
#include "processing/Filter.h"
#include "processing/GridAllocator.h"
#include "processing/Morphology.h"
#include "processing/PlaneFit.h"
#include "processing/Preprocessor.h"
#include "processing/Scratch.h"

namespace doc {

// What a run reads, and the settings it follows. A run changes the filter and the normalize state as
// their stages do: a mean filter settles its kernel, a pending normalize is measured.
struct CChainInput {
    const std::int16_t* raw = nullptr;
    int rawColumns = 0, rawRows = 0;
    std::uint64_t rawVersion = 0; // changes whenever the raw counts do
    const CPreprocessor* preprocessor = nullptr;
    bool jumps = false;
    Flattening flattening = Flattening::None;
    const CPlaneFit* planeFit = nullptr;
    const CMorphology* morphology = nullptr;
    CFilter* filter = nullptr;
    CNormalizeState* normalize = nullptr;
};

class CChain {
public:
    // The steps, in the order they run. Plane fitting, morphology and the last step bring the grid
    // back into [0, 1] after what they did.
    enum Step : int { kConvert, kJumps, kFlatten, kPlane, kMorphology, kFilter, kNormalize, kFit, kSteps };

    static constexpr std::size_t kMaxGrids = 6;
    static constexpr std::size_t kBudgetBytes = std::size_t(384) << 20;

    // Runs the chain into out, sets columns and rows, and returns the factor f: the raw counts that
    // 1.0 stands for. A stage that fails is reported through report(status) and leaves the grid as it
    // was; the chain goes on, and nothing of that run is kept.
    double Run(const CChainInput& in, TGrid<float>& out, int& columns, int& rows,
               const std::function<void(int)>& report);

    // Whether runs keep what their stages make.
    void Keep(bool keep) { m_keep = keep; }
    // Gives back every kept grid and the work memory.
    void Forget();
    // Drops what was kept of step and the steps after it.
    void DropFrom(int step);

    std::size_t KeptGrids() const { return m_kept.size(); }
    // The bytes of the kept grids, the one held back and the work memory.
    std::size_t KeptBytes() const;

private:
    using CKey = std::vector<std::int64_t>;
    struct CKept {
        int step = 0;
        CKey key; // the settings of steps 0 ... step
        TGrid<float> grid;
        int columns = 0, rows = 0;
        double factor = 1.0;
        CNormalizeState normalize; // after the step, for the steps from normalize on
        std::uint64_t used = 0;
    };
    // The result in the document's grid: what it was made with.
    struct CShown {
        bool valid = false;
        int step = 0;
        CKey key;
        int columns = 0, rows = 0;
        double factor = 1.0;
        CNormalizeState normalize;
    };

    std::list<CKept>::iterator Find(int step, const CKey& key);
    // Moves a grid in among the kept ones; false when it had to be given up at once.
    void Store(CKept kept);
    // A grid of n cells for the next output: the one held back, or a new one.
    TGrid<float> TakeGrid(std::size_t n);
    void GiveBack(TGrid<float>&& grid);
    void Trim(std::size_t gridBytes);

    std::list<CKept> m_kept;
    CShown m_shown;
    TGrid<float> m_spare;
    CScratch m_scratch;
    bool m_keep = false;
    std::uint64_t m_clock = 0;
};

} // namespace doc
