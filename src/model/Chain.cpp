#include "model/Chain.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

#include "processing/Busy.h"
#include "processing/kernels/Kernels.h"

namespace doc {

namespace {

std::int64_t Bits(double v) {
    std::int64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

std::int64_t Bits(float v) {
    std::int32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

std::size_t Cells(int columns, int rows) {
    return columns > 0 && rows > 0 ? static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) : 0;
}

bool Custom(MorphOp op) {
    return op == MorphOp::DilateCustom || op == MorphOp::ErodeCustom;
}

bool Custom(FilterType type) {
    return type == FilterType::MeanCustom || type == FilterType::MedianCustom;
}

// Which steps change the grid under the input's settings, and the settings of each step.
struct CPlan {
    std::array<bool, CChain::kSteps> on{};
    std::array<std::vector<std::int64_t>, CChain::kSteps> prefix; // the settings of steps 0 ... k
    int last = CChain::kConvert;
};

CPlan PlanOf(const CChainInput& in) {
    CPlan plan;
    std::array<std::vector<std::int64_t>, CChain::kSteps> keys;
    const CPreprocessor& pre = *in.preprocessor;
    keys[CChain::kConvert] = {static_cast<std::int64_t>(in.rawVersion),
                              static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(in.raw)),
                              in.rawColumns,
                              in.rawRows,
                              pre.left,
                              pre.top,
                              pre.right,
                              pre.bottom,
                              Bits(pre.range)};
    plan.on[CChain::kConvert] = true;
    keys[CChain::kJumps] = {in.jumps};
    plan.on[CChain::kJumps] = in.jumps;
    const Flattening flat = in.flattening;
    keys[CChain::kFlatten] = {static_cast<std::int64_t>(flat)};
    plan.on[CChain::kFlatten] =
        flat == Flattening::OnY || flat == Flattening::OnX || flat == Flattening::OnYX;
    keys[CChain::kPlane] = {static_cast<std::int64_t>(in.planeFit->mode)};
    plan.on[CChain::kPlane] = true; // the grid is fitted into [0, 1] whatever the model
    const CMorphology& m = *in.morphology;
    keys[CChain::kMorphology] = {static_cast<std::int64_t>(m.operation)};
    if (Custom(m.operation))
        keys[CChain::kMorphology].insert(
            keys[CChain::kMorphology].end(),
            {m.element.width, m.element.height, m.element.anchorX, m.element.anchorY});
    plan.on[CChain::kMorphology] = m.operation != MorphOp::None;
    const CFilter& f = *in.filter;
    keys[CChain::kFilter] = {static_cast<std::int64_t>(f.type)};
    if (Custom(f.type))
        keys[CChain::kFilter].insert(keys[CChain::kFilter].end(),
                                     {f.kernel.width, f.kernel.height, f.kernel.anchorX, f.kernel.anchorY});
    plan.on[CChain::kFilter] = f.type != FilterType::None;
    const CNormalizeState& n = *in.normalize;
    keys[CChain::kNormalize] = {n.pending, Bits(n.span), Bits(n.offset)};
    plan.on[CChain::kNormalize] = n.pending || (n.span != 1.0 && n.span > 0.0);
    plan.on[CChain::kFit] =
        plan.on[CChain::kMorphology] || plan.on[CChain::kFilter] || plan.on[CChain::kNormalize];

    std::vector<std::int64_t> prefix;
    for (int k = 0; k < CChain::kSteps; ++k) {
        // Each step's settings behind their count: prefixes of different steps never read alike.
        prefix.push_back(static_cast<std::int64_t>(keys[k].size()));
        prefix.insert(prefix.end(), keys[k].begin(), keys[k].end());
        plan.prefix[k] = prefix;
        if (plan.on[k])
            plan.last = k;
    }
    return plan;
}

// Every chain, for the process budget; the clock orders the use of grids across them.
std::vector<CChain*>& Chains() {
    static std::vector<CChain*> chains;
    return chains;
}
std::uint64_t g_clock = 0;
std::size_t g_processBudget = std::size_t(2) << 30;

std::size_t GridBytes(const TGrid<float>& grid) {
    return grid.capacity() * sizeof(float);
}

} // namespace

CChain::CChain() {
    Chains().push_back(this);
}

CChain::~CChain() {
    auto& chains = Chains();
    chains.erase(std::remove(chains.begin(), chains.end(), this), chains.end());
}

std::size_t CChain::ProcessBudget() {
    return g_processBudget;
}

std::size_t CChain::SetProcessBudget(std::size_t bytes) {
    const std::size_t before = g_processBudget;
    g_processBudget = bytes;
    return before;
}

std::size_t CChain::HeldBytes() const {
    std::size_t total = 0;
    for (const CKept& k : m_kept)
        total += GridBytes(k.grid);
    for (const TGrid<float>& g : m_spare)
        total += GridBytes(g);
    return total;
}

std::size_t CChain::ProcessBytes() {
    std::size_t total = 0;
    for (const CChain* chain : Chains())
        total += chain->HeldBytes();
    return total;
}

void CChain::FitProcessBudget(const CKept* keep) {
    std::size_t total = ProcessBytes();
    while (total > g_processBudget) {
        // Grids held back go first, then the kept grid used longest ago.
        const auto spares = std::find_if(Chains().begin(), Chains().end(),
                                         [](const CChain* chain) { return !chain->m_spare.empty(); });
        if (spares != Chains().end()) {
            total -= GridBytes((*spares)->m_spare.back());
            (*spares)->m_spare.pop_back();
            continue;
        }
        CChain* owner = nullptr;
        std::list<CKept>::iterator oldest;
        for (CChain* chain : Chains())
            for (auto k = chain->m_kept.begin(); k != chain->m_kept.end(); ++k)
                if (&*k != keep && (!owner || k->used < oldest->used)) {
                    owner = chain;
                    oldest = k;
                }
        if (!owner)
            return;
        total -= GridBytes(oldest->grid);
        owner->m_kept.erase(oldest);
    }
}

double CChain::Run(const CChainInput& in, TGrid<float>& out, int& columns, int& rows,
                   const std::function<void(int)>& report) {
    const CPlan plan = PlanOf(in);

    // The result shown so far joins the kept ones.
    if (m_keep && m_shown.valid) {
        CKept shown;
        shown.step = m_shown.step;
        shown.key = std::move(m_shown.key);
        shown.grid = std::move(out);
        shown.columns = m_shown.columns;
        shown.rows = m_shown.rows;
        shown.factor = m_shown.factor;
        shown.normalize = m_shown.normalize;
        out = TGrid<float>();
        Store(std::move(shown));
    }
    m_shown = CShown{};

    // The furthest step whose output under these settings is kept.
    int from = -1;
    auto kept = m_kept.end();
    for (int k = plan.last; k >= 0 && from < 0; --k)
        if (plan.on[k] && (kept = Find(k, plan.prefix[k])) != m_kept.end())
            from = k;

    double factor = 1.0;
    const float* source = nullptr;
    if (from >= 0) {
        columns = kept->columns;
        rows = kept->rows;
        factor = kept->factor;
        if (from >= kNormalize)
            *in.normalize = kept->normalize;
        if (from == plan.last) {
            // The whole result: it becomes the document's grid again.
            TGrid<float> shown = std::move(out);
            out = std::move(kept->grid);
            m_kept.erase(kept);
            GiveBack(std::move(shown));
            m_shown = CShown{true, plan.last, plan.prefix[plan.last], columns, rows, factor, *in.normalize};
            return factor;
        }
        kept->used = ++g_clock;
        source = kept->grid.data();
        const std::size_t n = Cells(columns, rows);
        if (out.capacity() < n)
            out = TakeGrid(n);
        out.resize(n);
    } else if (out.capacity() == 0) {
        const CPreprocessor& pre = *in.preprocessor;
        out = TakeGrid(Cells(in.rawColumns - pre.left - pre.right, in.rawRows - pre.top - pre.bottom));
    }

    bool failed = false;
    // What "Normalize" measured of its output, which the last fit then need not measure again.
    CValueRange normalised;
    bool measured = false;
    for (int step = from + 1; step <= plan.last; ++step) {
        if (!plan.on[step])
            continue;
        busy::Tick();
        // A step after a kept grid reads it and writes into another; the others work in place.
        const float* src = source ? source : out.data();
        source = nullptr;
        float* dst = out.data();
        const std::size_t n = Cells(columns, rows);
        const auto asItWas = [&] {
            if (src != dst)
                std::copy(src, src + n, dst);
        };
        int status = kern::StsNoErr;
        switch (step) {
        case kConvert:
            factor = in.preprocessor->Run(in.raw, in.rawColumns, in.rawRows, out, columns, rows);
            break;
        case kJumps:
            asItWas();
            EliminateJumps(dst, columns, rows);
            break;
        case kFlatten:
            asItWas();
            Flatten(dst, columns, rows, in.flattening);
            break;
        case kPlane:
            asItWas();
            in.planeFit->Apply(dst, columns, rows);
            factor *= FitToUnit(dst, columns, rows);
            break;
        case kMorphology:
            status = in.morphology->Apply(src, dst, columns, rows, &m_scratch);
            if (status != kern::StsNoErr)
                asItWas();
            factor *= FitToUnit(dst, columns, rows);
            break;
        case kFilter:
            status = in.filter->Apply(src, dst, columns, rows, &m_scratch);
            if (status != kern::StsNoErr)
                asItWas();
            break;
        case kNormalize:
            factor *= Normalize(src, dst, columns, rows, *in.normalize, &normalised);
            measured = true;
            break;
        default:
            factor *= FitToUnit(src, dst, columns, rows, measured ? &normalised : nullptr);
            break;
        }
        if (status != kern::StsNoErr) {
            failed = true;
            if (report)
                report(status);
        }
        // The output is kept where a later step can change alone: not that of "Normalize", which
        // only the last fit follows. The next step writes into another grid, reading this one.
        if (m_keep && !failed && step < plan.last && step != kNormalize) {
            try {
                CKept kept;
                kept.step = step;
                kept.key = plan.prefix[step];
                kept.columns = columns;
                kept.rows = rows;
                kept.factor = factor;
                kept.normalize = *in.normalize;
                TGrid<float> next = TakeGrid(out.size());
                m_kept.emplace_back();
                // Nothing below throws: the grids only change hands.
                kept.grid = std::move(out);
                out = std::move(next);
                m_kept.back() = std::move(kept);
                source = m_kept.back().grid.data();
                Stored();
            } catch (const std::bad_alloc&) {
                // Keeping is only a saving: without the memory the chain goes on in place.
            }
        }
    }
    if (!failed)
        m_shown = CShown{true, plan.last, plan.prefix[plan.last], columns, rows, factor, *in.normalize};
    return factor;
}

std::list<CChain::CKept>::iterator CChain::Find(int step, const CKey& key) {
    return std::find_if(m_kept.begin(), m_kept.end(),
                        [&](const CKept& k) { return k.step == step && k.key == key; });
}

void CChain::Store(CKept kept) {
    m_kept.push_back(std::move(kept));
    Stored();
}

std::size_t CChain::Limit(std::size_t cells) const {
    const std::size_t gridBytes = std::max<std::size_t>(cells * sizeof(float), 1);
    return std::min(kMaxGrids, std::max<std::size_t>(2, kBudgetBytes / gridBytes));
}

std::list<CChain::CKept>::iterator CChain::Oldest() {
    return std::min_element(m_kept.begin(), m_kept.end(),
                            [](const CKept& a, const CKept& b) { return a.used < b.used; });
}

void CChain::Stored() {
    CKept& newest = m_kept.back();
    newest.used = ++g_clock;
    const std::size_t limit = Limit(newest.grid.size());
    while (m_kept.size() + m_spare.size() > limit) {
        if (!m_spare.empty())
            m_spare.pop_back();
        else
            m_kept.erase(Oldest());
    }
    FitProcessBudget(&newest);
}

TGrid<float> CChain::TakeGrid(std::size_t n) {
    // A grid held back whose size is near: its pages are there already.
    const auto near = [n](const TGrid<float>& g) { return g.capacity() >= n && g.capacity() / 4 <= n; };
    TGrid<float> grid;
    const auto fits = std::find_if(m_spare.begin(), m_spare.end(), near);
    if (fits != m_spare.end()) {
        grid = std::move(*fits);
        m_spare.erase(fits);
    } else {
        // Grids of another size are of no use now; at the bound, the kept grid used longest ago gives
        // its pages to the new one.
        m_spare.clear();
        if (!m_kept.empty() && m_kept.size() >= Limit(n)) {
            const auto oldest = Oldest();
            if (near(oldest->grid))
                grid = std::move(oldest->grid);
            m_kept.erase(oldest);
        }
    }
    grid.resize(n);
    return grid;
}

void CChain::GiveBack(TGrid<float>&& grid) {
    TGrid<float> given = std::move(grid);
    if (given.capacity() > 0 && m_kept.size() + m_spare.size() < Limit(given.size()))
        m_spare.push_back(std::move(given));
}

void CChain::Forget() {
    m_kept.clear();
    m_spare.clear();
    m_scratch.Release();
}

void CChain::DropFrom(int step) {
    for (auto k = m_kept.begin(); k != m_kept.end();)
        if (k->step >= step) {
            GiveBack(std::move(k->grid));
            k = m_kept.erase(k);
        } else {
            ++k;
        }
    if (m_shown.step >= step)
        m_shown.valid = false;
}

std::size_t CChain::KeptBytes() const {
    return HeldBytes() + m_scratch.Bytes();
}

} // namespace doc
