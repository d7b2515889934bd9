// Help as a user reaches it: Help Topics, F1 for the active window or an open menu's command, and
// context help (the "?" button or Shift+F1, then a click) leading to the built guide's pages.
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>
#include <set>
#include <utility>

#include "app/AppCommands.h"
#include "app/AppKit.h"
#include "app/Help.h"
#include "framework/fwMessage.h"
#include "framework/qt/fwCommandTable.h"
#include "model/SurfaceCommands.h"

namespace {

class Help : public App {
protected:
    mframe::CMainFrame& StartRecording(const QStringList& files = {}) {
        mframe::CMainFrame& main = Start(files);
        main.Help().openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; }));
        return main;
    }
    // The page and heading of the last address opened; empty when none was.
    std::pair<QString, QString> Last() const {
        if (opened.empty())
            return {};
        return {QUrl(opened.back()).fileName(), opened.back().fragment()};
    }
    static bool WhatsThisCursor() {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::WhatsThisCursor;
    }
    QWidget* Button(mframe::CMainFrame& main, int id) {
        QToolBar* bar = main.FindToolBar(128);
        return bar ? bar->widgetForAction(main.Commands().Action(id)) : nullptr;
    }
    // The menu bar's menu of that title, opened by a click as a user opens it.
    static QMenu* OpenMenu(mframe::CMainFrame& main, const QString& title) {
        for (QAction* top : main.menuBar()->actions())
            if (top->text() == title && top->menu()) {
                QTest::mouseClick(main.menuBar(), Qt::LeftButton, {},
                                  main.menuBar()->actionGeometry(top).center());
                EXPECT_TRUE(QTest::qWaitFor([&] { return top->menu()->isVisible(); }));
                return top->menu();
            }
        return nullptr;
    }

    std::vector<QUrl> opened;
};

} // namespace

TEST_F(Help, HelpTopicsAndF1OpenTheBuiltGuideAtThePageOfTheActiveWindow) {
    mframe::CMainFrame& main = StartRecording({QString::fromStdString(Scan("help.000", 1))});
    ASSERT_TRUE(main.Commands().Execute(mframe::ID_HELP_INDEX));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    QFile contents(opened[0].toLocalFile());
    ASSERT_TRUE(contents.open(QIODevice::ReadOnly)) << opened[0].toString().toStdString();
    const QByteArray html = contents.readAll();
    EXPECT_TRUE(html.contains("<h1>Vantri user guide</h1>"));
    EXPECT_TRUE(html.contains("href=\"correction.html\"")) << "links between pages lead to their HTML";

    // F1 over the 2D window, then over a statistics window.
    QWidget* view = Frames().at(0)->GetActiveViewWidget();
    ASSERT_NE(view, nullptr);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F1);
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("image.html"), QString()));
    ASSERT_TRUE(main.Commands().Execute(doc::ID_STATISTICS));
    Idle();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, Qt::Key_F1);
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("analysis.html"), QStringLiteral("statistics")));

    // F1 on a command of an open menu explains the command and closes the menu.
    QMenu* surface = OpenMenu(main, QStringLiteral("&Surface"));
    ASSERT_NE(surface, nullptr);
    surface->setActiveAction(main.Commands().Action(doc::ID_NORMALIZE));
    QTest::keyClick(surface, Qt::Key_F1);
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("correction.html"), QStringLiteral("normalize")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !surface->isVisible(); }));
}

TEST_F(Help, ContextHelpExplainsWhatIsClickedNextInsteadOfDoingIt) {
    mframe::CMainFrame& main = StartRecording({QString::fromStdString(Scan("context.000", 1))});
    const std::size_t frames = Frames().size();
    // The "?" button, then the 3D View button: its page, and no 3D window.
    QWidget* question = Button(main, mframe::ID_CONTEXT_HELP);
    QWidget* view3d = Button(main, mframe::ID_VIEW_3D);
    ASSERT_TRUE(question && view3d);
    QTest::mouseClick(question, Qt::LeftButton);
    EXPECT_TRUE(WhatsThisCursor());
    QTest::mouseClick(view3d, Qt::LeftButton);
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("3d.html"), QString()));
    EXPECT_FALSE(WhatsThisCursor());
    Idle();
    EXPECT_EQ(Frames().size(), frames);

    // Shift+F1, then a click on the image: the 2D window's page.
    QWidget* image = Frames().at(0)->GetActiveViewWidget();
    ASSERT_NE(image, nullptr);
    image->setFocus();
    QTest::keyClick(image, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(WhatsThisCursor());
    QTest::mouseClick(image, Qt::LeftButton, {}, image->rect().center());
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("image.html"), QString()));

    // A menu opens as usual; its command is explained, not run.
    QTest::keyClick(image, Qt::Key_F1, Qt::ShiftModifier);
    QMenu* surface = OpenMenu(main, QStringLiteral("&Surface"));
    ASSERT_NE(surface, nullptr);
    QAction* statistics = main.Commands().Action(doc::ID_STATISTICS);
    QTest::mouseClick(surface, Qt::LeftButton, {}, surface->actionGeometry(statistics).center());
    EXPECT_EQ(Last(), std::make_pair(QStringLiteral("analysis.html"), QStringLiteral("statistics")));
    Idle();
    EXPECT_EQ(Frames().size(), frames);

    // Escape gives up: nothing opens, and the next click works again.
    const std::size_t before = opened.size();
    QTest::keyClick(image, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(image, Qt::Key_Escape);
    EXPECT_FALSE(WhatsThisCursor());
    QTest::mouseClick(view3d, Qt::LeftButton);
    Idle();
    EXPECT_EQ(opened.size(), before);
    EXPECT_EQ(Frames().size(), frames + 1) << "the 3D View button opens its window again";
}

// Every place the help leads to is a page of the built guide, and its heading is on that page.
TEST_F(Help, EveryTopicIsAPageAndHeadingOfTheGuide) {
    std::set<std::pair<QString, QString>> topics;
    for (int id = 1; id < 65536; ++id) {
        const mframe::CTopic topic = mframe::TopicOfCommand(id);
        topics.insert({topic.page, topic.anchor});
    }
    for (int kind = 0; kind <= 8; ++kind) {
        const mframe::CTopic topic = mframe::TopicOfKind(kind);
        topics.insert({topic.page, topic.anchor});
    }
    EXPECT_GE(topics.size(), 20u);
    for (const auto& [page, anchor] : topics) {
        const QUrl url = mframe::TopicUrl({page, anchor});
        ASSERT_FALSE(url.isEmpty()) << page.toStdString();
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        if (!anchor.isEmpty()) {
            EXPECT_TRUE(file.readAll().contains(QStringLiteral("id=\"%1\"").arg(anchor).toUtf8()))
                << page.toStdString() << "#" << anchor.toStdString();
        }
    }
}

TEST_F(Help, AMissingGuideIsSaid) {
    QTemporaryDir empty;
    qputenv("VANTRI_GUIDE_DIR", empty.path().toUtf8());
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    mframe::CMainFrame& main = StartRecording();
    EXPECT_TRUE(main.Commands().Execute(mframe::ID_HELP_INDEX));
    qunsetenv("VANTRI_GUIDE_DIR");
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_NE(recorder.boxes[0].text.find(L"user guide was not found"), std::wstring::npos);
}
