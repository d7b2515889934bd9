#include "framework/qt/fwQtMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "framework/qt/fwMDIFrame.h"

namespace fw {

namespace {

using Box = QMessageBox;

struct CButtonSet {
    MsgButtons buttons;
    Box::StandardButtons shown;
    Box::StandardButton first;
    MsgAnswer dismissed; // the answer when the box is closed without a button
};
const CButtonSet kButtonSets[] = {
    {MsgButtons::Ok, Box::Ok, Box::Ok, MsgAnswer::Ok},
    {MsgButtons::OkCancel, Box::Ok | Box::Cancel, Box::Ok, MsgAnswer::Cancel},
    {MsgButtons::YesNo, Box::Yes | Box::No, Box::Yes, MsgAnswer::No},
    {MsgButtons::YesNoCancel, Box::Yes | Box::No | Box::Cancel, Box::Yes, MsgAnswer::Cancel},
    {MsgButtons::ReplaceSaveAsCancel, Box::Yes | Box::No | Box::Cancel, Box::No, MsgAnswer::Cancel},
};
const std::pair<MsgIcon, Box::Icon> kIcons[] = {
    {MsgIcon::None, Box::NoIcon},
    {MsgIcon::Exclamation, Box::Warning},
    {MsgIcon::Information, Box::Information},
    {MsgIcon::Question, Box::Question},
    {MsgIcon::Stop, Box::Critical},
};
const std::pair<Box::StandardButton, MsgAnswer> kAnswers[] = {
    {Box::Ok, MsgAnswer::Ok},
    {Box::Yes, MsgAnswer::Yes},
    {Box::No, MsgAnswer::No},
    {Box::Cancel, MsgAnswer::Cancel},
};

const CButtonSet& ButtonSet(MsgButtons buttons) {
    for (const CButtonSet& set : kButtonSets)
        if (set.buttons == buttons)
            return set;
    return kButtonSets[0];
}

Box::Icon BoxIcon(MsgIcon icon) {
    for (const auto& [ours, qt] : kIcons)
        if (ours == icon)
            return qt;
    return Box::NoIcon;
}

QWidget* BoxParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return CMDIFrame::Get();
}

} // namespace

MsgAnswer CQtMessages::Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                            const std::wstring& title) {
    const CButtonSet& set = ButtonSet(buttons);
    const QString caption =
        title.empty() ? QGuiApplication::applicationDisplayName() : QString::fromStdWString(title);
    Box box(BoxIcon(icon), caption, QString::fromStdWString(text), set.shown, BoxParent());
    // The texts are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(set.first);
    if (buttons == MsgButtons::ReplaceSaveAsCancel) {
        box.button(Box::Yes)->setText(QStringLiteral("&Replace"));
        box.button(Box::No)->setText(QStringLiteral("Save &As..."));
    }
    box.exec();
    const Box::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const auto& [button, answer] : kAnswers)
        if (button == clicked)
            return answer;
    return set.dismissed;
}

} // namespace fw
