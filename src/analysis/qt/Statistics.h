#pragma once
// The statistics window as the application sees it: its commands with their texts, and opening one
// for a document.
namespace fw {
class CChildFrame;
class CCommandTable;
class CDocument;
} // namespace fw

namespace statist {

class CChildFrame;

// Adds the toggles of the statistics window: "Height histogram", "Bearing curve", "Adjust plane".
void RegisterStatisticsCommands(fw::CCommandTable& commands);

// A new statistics window on the document, made like the other windows of a document from the
// active frame, shown and activated; null when there is no main frame.
CChildFrame* OpenStatistics(fw::CDocument& document, fw::CChildFrame* pattern);

} // namespace statist
