#include <gtest/gtest.h>

#include "framework/fwCommand.h"

namespace {

// Answers for one id with a fixed state, or declines after scribbling on the state it was given.
class CTarget : public fw::ICmdTarget {
public:
    CTarget(int id, fw::CCmdState state, bool answers = true)
        : m_id(id), m_state(state), m_answers(answers) {}
    int commands = 0;

    bool OnCommand(int id) override {
        if (!m_answers || id != m_id)
            return false;
        ++commands;
        return true;
    }
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override {
        state.enabled = false;
        state.checked = true;
        if (!m_answers || id != m_id)
            return false;
        state = m_state;
        return true;
    }

private:
    int m_id;
    fw::CCmdState m_state;
    bool m_answers;
};

} // namespace

TEST(CommandRoute, FirstAnsweringTargetDecidesAndNobodyMeansDisabled) {
    CTarget decline(7, {}, false), radio(7, {true, true, true}), other(7, {false, false, false});
    const fw::CCmdState state = fw::RouteUpdate({nullptr, &decline, &radio, &other}, 7);
    EXPECT_TRUE(state.enabled); // nothing the declining target wrote is left
    EXPECT_TRUE(state.checked);
    EXPECT_TRUE(state.radio);

    const fw::CCmdState none = fw::RouteUpdate({&decline, &radio}, 8);
    EXPECT_FALSE(none.enabled);
    EXPECT_FALSE(none.checked);
    EXPECT_FALSE(fw::RouteUpdate({}, 7).enabled);
}

TEST(CommandRoute, CommandGoesToTheFirstHandlerUnlessDisabled) {
    CTarget decline(7, {}, false), first(7, {}), second(7, {});
    EXPECT_TRUE(fw::RouteCommand({&decline, &first, &second}, 7));
    EXPECT_EQ(first.commands, 1);
    EXPECT_EQ(second.commands, 0);
    EXPECT_FALSE(fw::RouteCommand({&first}, 8));

    // A stale button may still send a command its handler has since disabled.
    CTarget disabled(7, {false, false, false});
    EXPECT_FALSE(fw::RouteCommand({&disabled, &first}, 7));
    EXPECT_EQ(disabled.commands, 0);
    EXPECT_EQ(first.commands, 1);
}
