#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "framework/fwMessage.h"
#include "framework/qt/fwQtApp.h"
#include "framework/qt/fwQtMessages.h"

namespace {

// Runs act on the next message box once it is up.
void OnNextBox(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*box);
    });
    poll->start(10);
}

struct CBoxCase {
    fw::MsgButtons buttons;
    fw::MsgIcon icon;
    QMessageBox::StandardButtons shown;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButton click;
    fw::MsgAnswer answer;
};

} // namespace

TEST(MessageBoxes, ButtonSetsIconsAndAnswers) {
    using B = QMessageBox;
    const CBoxCase cases[] = {
        {fw::MsgButtons::Ok, fw::MsgIcon::None, B::Ok, B::NoIcon, B::Ok, fw::MsgAnswer::Ok},
        {fw::MsgButtons::OkCancel, fw::MsgIcon::Stop, B::Ok | B::Cancel, B::Critical, B::Cancel,
         fw::MsgAnswer::Cancel},
        {fw::MsgButtons::YesNo, fw::MsgIcon::Question, B::Yes | B::No, B::Question, B::No, fw::MsgAnswer::No},
        {fw::MsgButtons::YesNoCancel, fw::MsgIcon::Exclamation, B::Yes | B::No | B::Cancel, B::Warning,
         B::Yes, fw::MsgAnswer::Yes},
        {fw::MsgButtons::Ok, fw::MsgIcon::Information, B::Ok, B::Information, B::Ok, fw::MsgAnswer::Ok},
    };
    fw::CQtMessages service;
    for (const CBoxCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.click));
        QString title, text;
        B::StandardButtons shown;
        B::Icon icon = B::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        OnNextBox([&](QMessageBox& box) {
            title = box.windowTitle();
            text = box.text();
            shown = box.standardButtons();
            icon = box.icon();
            format = box.textFormat();
            QTest::mouseClick(box.button(c.click), Qt::LeftButton);
        });
        const fw::MsgAnswer answer =
            service.Show(L"This file can not be open, because \n<b>µm</b>", c.buttons, c.icon, {});
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(title, "Vantri");
        EXPECT_EQ(text, QString::fromUtf8("This file can not be open, because \n<b>µm</b>"));
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(icon, c.qtIcon);
    }
}

TEST(MessageBoxes, KeysGiveTheFirstButtonOrTheCancel) {
    fw::CQtMessages service;
    OnNextBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_EQ(
        service.Show(L"Save changes to scan.spm?", fw::MsgButtons::YesNoCancel, fw::MsgIcon::Exclamation, {}),
        fw::MsgAnswer::Yes);
    OnNextBox([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(service.Show(L"Proceed?", fw::MsgButtons::OkCancel, fw::MsgIcon::Question, {}),
              fw::MsgAnswer::Cancel);
    OnNextBox([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(service.Show(L"Proceed?", fw::MsgButtons::YesNoCancel, fw::MsgIcon::Question, {}),
              fw::MsgAnswer::Cancel);
}

TEST(MessageBoxes, TheApplicationShowsTheCoresBoxesUnderTheirOwnTitleOrItsName) {
    EXPECT_NE(dynamic_cast<fw::CQtMessages*>(&fw::Messages()), nullptr);
    QString title;
    OnNextBox([&title](QMessageBox& box) {
        title = box.windowTitle();
        QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
    });
    EXPECT_EQ(fw::MessageBox(L"Overwrite?", fw::MsgButtons::YesNo), fw::MsgAnswer::No);
    EXPECT_EQ(title, "Vantri");
    OnNextBox([&title](QMessageBox& box) {
        title = box.windowTitle();
        box.close();
    });
    fw::MessageBox(L"No matching code path.", fw::MsgButtons::Ok, fw::MsgIcon::Stop, L"Start-up error");
    EXPECT_EQ(title, "Start-up error");
}
