#include "analysis/qt/Statistics.h"

#include <iterator>

#include "analysis/qt/StatChildFrame.h"
#include "analysis/qt/StatView.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"

namespace statist {

void RegisterStatisticsCommands(fw::CCommandTable& commands) {
    using fw::CmdStyle;
    static const fw::CCommandText kCommands[] = {
        {ID_HEIGHT_HISTOGRAM, "Height histogram", "Height histogram\nHeight histogram", CmdStyle::Check},
        {ID_BEARING_CURVE, "Bearing curve", "Bearing curve\nBearing curve", CmdStyle::Check},
        {ID_ADJUST_PLANE, "Adjust plane", "Adjust plane\nAdjust plane", CmdStyle::Check},
    };
    commands.AddAll(kCommands);
}

CChildFrame* OpenStatistics(fw::CDocument& document, fw::CChildFrame* pattern) {
    return fw::OpenFrame<CChildFrame>(document, pattern);
}

} // namespace statist
