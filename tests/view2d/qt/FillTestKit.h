#pragma once
// A window with an image model's converter and attenuator and the fill commands acting on them, and
// reference tables to hold its converter against, for the window tests of the colour fills.
#include <QTest>
#include <QWidget>
#include <memory>
#include <vector>

#include "framework/qt/fwCommandTable.h"
#include "view2d/Attenuator.h"
#include "view2d/Converter.h"
#include "view2d/qt/FillCommands.h"

namespace filltest {

class CFillWindow : public QWidget, public color::IFillOwner {
public:
    CFillWindow() {
        color::RegisterFillCommands(table);
        table.SetRoute([this] { return std::vector<fw::ICmdTarget*>{commands.get()}; });
        commands = std::make_unique<color::CFillCommands>(converter, attenuator, table, *this,
                                                          [this] { ++redraws; });
    }
    const color::CCustomFill* CustomFill() const override { return &commands->CustomFill(); }

    // Routes the command, then shows its state on its action as a menu would.
    bool Run(int id) { return table.Execute(id); }
    fw::CCmdState State(int id) const { return fw::RouteUpdate(table.CurrentRoute(), id); }

    color::CConverter converter{this};
    color::CAttenuator attenuator;
    fw::CCommandTable table;
    int redraws = 0;
    std::unique_ptr<color::CFillCommands> commands; // goes first, before what it acts on
};

// The three tables, red, green and blue, one after another.
inline std::vector<float> Tables(const color::CConverter& converter) {
    std::vector<float> all;
    for (const float* table : {converter.Red(), converter.Green(), converter.Blue()})
        all.insert(all.end(), table, table + 256);
    return all;
}

// What a converter holds once it is set to this type and negative state with these custom colours.
inline std::vector<float> Reference(unsigned type, int negative, const color::CCustomFill& fill = {}) {
    struct COwner : color::IFillOwner {
        color::CCustomFill fill;
        const color::CCustomFill* CustomFill() const override { return &fill; }
    } owner;
    owner.fill = fill;
    color::CConverter converter(&owner);
    converter.SetNegative(negative);
    converter.SetType(type);
    return Tables(converter);
}

} // namespace filltest
