// The colour-fill and brightness/contrast commands of an image window.
#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include "FillTestKit.h"

using namespace color;
using filltest::CFillWindow;

namespace {

constexpr int kFillIds[] = {ID_FILL_GRAY, ID_FILL_AMBER, ID_FILL_MARINE, ID_FILL_FOREST, ID_FILL_CUSTOM};

// The one radio item of the fills that is marked, or 0.
int MarkedFill(const CFillWindow& window) {
    int marked = 0;
    for (int id : kFillIds) {
        const fw::CCmdState state = window.State(id);
        EXPECT_TRUE(state.enabled && state.radio) << id;
        if (state.checked) {
            EXPECT_EQ(marked, 0) << "two fills marked";
            marked = id;
        }
    }
    return marked;
}

} // namespace

TEST(FillCommands, FillsAndNegativeCarryRadioMarksAndRedraw) {
    CFillWindow window;
    EXPECT_EQ(MarkedFill(window), ID_FILL_GRAY);
    EXPECT_TRUE(window.State(ID_FILL_POSITIVE).checked);
    EXPECT_FALSE(window.State(ID_FILL_NEGATIVE).checked);

    ASSERT_TRUE(window.Run(ID_FILL_NEGATIVE));
    EXPECT_EQ(window.converter.Negative(), 1);
    EXPECT_TRUE(window.State(ID_FILL_NEGATIVE).checked);
    EXPECT_FALSE(window.State(ID_FILL_POSITIVE).checked);
    EXPECT_EQ(window.redraws, 1);

    const struct {
        int id;
        unsigned type;
    } fills[] = {{ID_FILL_AMBER, 3}, {ID_FILL_MARINE, 4}, {ID_FILL_FOREST, 5}, {ID_FILL_GRAY, 2}};
    for (const auto& fill : fills) {
        SCOPED_TRACE(fill.id);
        ASSERT_TRUE(window.Run(fill.id));
        EXPECT_EQ(window.converter.Type(), fill.type);
        EXPECT_EQ(MarkedFill(window), fill.id);
    }
    EXPECT_EQ(filltest::Tables(window.converter), filltest::Reference(2, 1)) << "the negative stays";
    EXPECT_EQ(window.redraws, 5);
    // The action shows the mark after its command, whatever Qt's own toggle did.
    EXPECT_TRUE(window.table.Action(ID_FILL_GRAY)->isChecked());

    ASSERT_TRUE(window.Run(ID_FILL_POSITIVE));
    EXPECT_EQ(filltest::Tables(window.converter), filltest::Reference(2, 0));
    EXPECT_TRUE(window.State(ID_FILL_POSITIVE).checked);
}

TEST(FillCommands, StepsStopAtTheEndsOfTheirRanges) {
    CFillWindow window;
    const struct {
        int up, down;
        int (CAttenuator::*step)() const;
    } pairs[] = {{ID_CONTRAST_UP, ID_CONTRAST_DOWN, &CAttenuator::Contrast},
                 {ID_BRIGHTNESS_UP, ID_BRIGHTNESS_DOWN, &CAttenuator::Brightness}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.up);
        const int redraws = window.redraws;
        for (int i = 0; i < 99; ++i) {
            ASSERT_TRUE(window.State(pair.up).enabled) << "at " << (window.attenuator.*pair.step)();
            ASSERT_TRUE(window.Run(pair.up));
        }
        EXPECT_EQ((window.attenuator.*pair.step)(), 99);
        EXPECT_FALSE(window.State(pair.up).enabled);
        EXPECT_TRUE(window.State(pair.down).enabled);
        EXPECT_FALSE(window.Run(pair.up)) << "a disabled command goes nowhere";
        EXPECT_EQ((window.attenuator.*pair.step)(), 99);
        for (int i = 0; i < 198; ++i)
            ASSERT_TRUE(window.Run(pair.down));
        EXPECT_EQ((window.attenuator.*pair.step)(), -99);
        EXPECT_FALSE(window.State(pair.down).enabled);
        EXPECT_TRUE(window.State(pair.up).enabled);
        EXPECT_EQ(window.redraws - redraws, 99 + 198) << "one redraw a step";
    }
    EXPECT_FALSE(window.State(ID_FILL_POPUP).checked);
    EXPECT_TRUE(window.State(ID_FILL_POPUP).enabled);
}

TEST(FillCommands, TheColorFillingButtonDropsDownMenu257AtTheCursor) {
    CFillWindow window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Run(ID_FILL_MARINE);
    QCursor::setPos(window.mapToGlobal(QPoint(40, 50)));

    ASSERT_TRUE(window.Run(ID_FILL_POPUP));
    QMenu* menu = window.commands->ColorFillMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->title(), "Color Fill");
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, QStringList({"Gray filling", "Amber filling", "Marine filling", "Forest filling"}));
    EXPECT_TRUE(menu->actions()[2]->isChecked()) << "marks are brought up to date as it shows";
    EXPECT_FALSE(menu->actions()[0]->isChecked());
    EXPECT_LE((menu->geometry().topLeft() - QCursor::pos()).manhattanLength(), 2);

    menu->actions()[3]->trigger();
    menu->hide();
    EXPECT_EQ(window.converter.Type(), CConverter::kForest);
    EXPECT_TRUE(window.table.Action(ID_FILL_FOREST)->isChecked());
    EXPECT_EQ(CreateColorFillMenu(window.table, &window)->actions().size(), 4) << "a menu of its own";
}
