#pragma once
// The correction chain of one document. It runs the stages from the raw counts and keeps what they
// made, so that a change of one setting reruns the chain only from the first stage whose setting
// changed, and going back to earlier settings finds their result kept.
//
// What is kept, and the bound: the output of every stage that ran and that a later stage's own
// setting can follow (a stage switched off changes nothing and has no output of its own; "Normalize"
// is followed only by the last fit, which has no setting), each keyed by the settings of the stages
// up to it, and the results the document showed before. Keeping costs no copy: the stage after a
// kept grid writes into another grid. Besides the document's own grid, a chain holds at most
// kMaxGrids grids, and no more of them than fit in kBudgetBytes (two at least): kept results, and
// grids given up that wait for the next grid the chain needs, so that a rerun writes into pages it
// already has. At the bound the kept grid used longest ago goes first. The chains of all documents
// together hold no more than the process budget (ProcessBudget, 2 GiB unless set), the grid used
// longest ago in any of them going first. Nothing is kept until Keep(true): the run of a file's open
// keeps only its result. Chains are used from one thread.
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

    CChain();
    ~CChain();
    CChain(const CChain&) = delete;
    CChain& operator=(const CChain&) = delete;

    // The bytes that the kept grids and the grids held back of all chains may take together; setting
    // it returns the budget before (a machine with little memory may lower it).
    static std::size_t ProcessBudget();
    static std::size_t SetProcessBudget(std::size_t bytes);
    // The bytes of grids that all chains hold.
    static std::size_t ProcessBytes();

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
    // Moves a grid in among the kept ones, as the newest.
    void Store(CKept kept);
    // Marks the last kept grid the newest and gives up grids beyond the bounds; the newest stays.
    void Stored();
    // The bytes of this chain's kept grids and grids held back.
    std::size_t HeldBytes() const;
    // Gives up grids of any chain, those held back first, until all fit in the process budget; keep
    // stays.
    static void FitProcessBudget(const CKept* keep);
    // How many grids of that many cells a chain may hold.
    std::size_t Limit(std::size_t cells) const;
    std::list<CKept>::iterator Oldest();
    // A grid of n cells for the next output: one held back, the oldest kept one at the bound, or a new
    // one.
    TGrid<float> TakeGrid(std::size_t n);
    void GiveBack(TGrid<float>&& grid);

    std::list<CKept> m_kept;
    CShown m_shown;
    std::vector<TGrid<float>> m_spare;
    CScratch m_scratch;
    bool m_keep = false;
};

} // namespace doc
