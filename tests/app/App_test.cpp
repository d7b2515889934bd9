// The application driven as a user drives it: start-up, opening files in their windows, dropping
// files, the tool bars of a 2D window, a Surface-menu command, the settings between runs.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

#include "app/AboutDlg.h"
#include "app/AppCommands.h"
#include "app/AppKit.h"
#include "app/MainFrame.h"
#include "app/VantriApp.h"
#include "data/NanoScopeGen.h"
#include "framework/fwDocTemplate.h"
#include "framework/fwMessage.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwQtApp.h"
#include "model/SurfaceCommands.h"
#include "model/UpdateHint.h"
#include "model/VantriDoc.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/View2D.h"
#include "view3d/qt/View3D.h"

namespace {

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions())
        titles.append(action->text());
    return titles;
}

// Whether an icon drawn at this size and device pixel ratio leaves any pixel that is not transparent.
bool HasInk(const QIcon& icon, int size, qreal ratio = 1.0) {
    const QImage image = icon.pixmap(QSize(size, size), ratio).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

TEST_F(App, StartsEmptyAndMaximisedWithTheMenuWithoutDocuments) {
    mframe::CMainFrame& frame = Start();
    EXPECT_TRUE(frame.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(MenuTitles(frame.menuBar()), (QStringList{"&File", "&View", "&Help"}));
    ASSERT_NE(frame.FindToolBar(128), nullptr);
    EXPECT_TRUE(frame.FindToolBar(128)->isVisible());
}

TEST_F(App, AFileOfThreeImagesOpensAsAGroupTiledInQuarters) {
    const std::string path = Scan("three.001", 3);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    const std::vector<fw::CChildFrame*> frames = Frames();
    ASSERT_EQ(frames.size(), 3u);
    std::vector<doc::CVantriDoc*> docs;
    for (fw::CChildFrame* f : frames)
        docs.push_back(dynamic_cast<doc::CVantriDoc*>(f->GetDocument()));
    for (int k = 0; k < 3; ++k) {
        ASSERT_NE(docs[k], nullptr);
        EXPECT_EQ(docs[k]->image, k);
        EXPECT_EQ(docs[k]->group, docs[0]->group);
        EXPECT_TRUE(frames[k]->windowTitle().endsWith(QStringLiteral(" : 2D")));
    }
    EXPECT_TRUE(frames[0]->windowTitle().startsWith(QStringLiteral("three.001 -Height-")));
    // Image 1 beside image 0, image 2 under it: three quarters of a 2 x 2 block.
    const QRect first = frames[0]->geometry();
    EXPECT_EQ(frames[1]->pos(), QPoint(first.x() + first.width(), first.y()));
    EXPECT_EQ(frames[2]->pos(), QPoint(first.x(), first.y() + first.height()));
    // The menu of documents replaced menu 128, and a 2D window shows its tool bars.
    EXPECT_EQ(MenuTitles(frame.menuBar()),
              (QStringList{"&File", "&Edit", "&View", "&Image", "&Surface", "&Window", "&Help"}));
    EXPECT_EQ(frame.ActiveKind(), kKind2D);
    for (int id : {128, 130, 131, 132})
        EXPECT_TRUE(frame.FindToolBar(id) && frame.FindToolBar(id)->isVisible()) << id;
    ASSERT_NE(frame.FindToolBar(133), nullptr);
    EXPECT_FALSE(frame.FindToolBar(133)->isVisible());
}

TEST_F(App, DroppedFilesOpenAndAnOpenFileIsActivatedAgain) {
    const std::string a = Scan("a.000", 1), b = Scan("b.000", 1);
    mframe::CMainFrame& frame = Start();
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    // As a drag from a file manager arrives: it enters, then it is dropped.
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    Idle();
    ASSERT_EQ(Frames().size(), 2u);
    // Opening a again gives its document back without a new window.
    fw::CDocument* again = app->OpenDocumentFile(QString::fromStdString(a).toStdWString());
    Idle();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_EQ(frame.GetActiveFrame()->GetDocument(), again);
    // Both went to the recent files, the last opened first.
    EXPECT_EQ(frame.RecentFiles().size(), 2);
    EXPECT_TRUE(frame.RecentFiles().front().endsWith(QStringLiteral("a.000")));
}

TEST_F(App, ASurfaceCommandChangesTheImageAndMarksTheDocument) {
    const std::string path = Scan("plane.000", 1);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    auto* document = dynamic_cast<doc::CVantriDoc*>(Frames()[0]->GetDocument());
    auto* view = dynamic_cast<m2D::C2DView*>(Frames()[0]->GetActiveView());
    ASSERT_TRUE(document && view);
    const std::vector<float> before = surface::Levels(view->GetModel().Image().Texture());
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(frame.Commands().Execute(doc::ID_FLAT_Y));
    EXPECT_TRUE(document->IsModified());
    EXPECT_NE(surface::Levels(view->GetModel().Image().Texture()), before);
    fw::CCmdState state;
    frame.Commands().Update(doc::ID_FLAT_Y);
    EXPECT_TRUE(frame.Commands().Action(doc::ID_FLAT_Y)->isChecked());
}

// The chain reports its progress to the window: a command that runs into a stretch of work already a
// quarter of a second long shows the wait cursor, which goes once the loop is idle; a quick one alone
// shows nothing.
TEST_F(App, TheChainShowsTheBusyCursorOnceTheWorkHasLastedAQuarterSecond) {
    const std::string path = Scan("slow.000", 1);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    const auto waitCursor = [] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::WaitCursor;
    };
    const auto inLoop = [](int ms, const std::function<void()>& work) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, work);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    bool quick = true, slow = false;
    inLoop(200, [&] {
        frame.Commands().Execute(doc::ID_FLAT_Y);
        quick = waitCursor();
    });
    EXPECT_FALSE(quick);
    inLoop(200, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        frame.Commands().Execute(doc::ID_FLAT_X);
        slow = waitCursor();
    });
    EXPECT_TRUE(slow);
    EXPECT_FALSE(waitCursor()) << "idle again";
}

TEST_F(App, StatisticsOpensFromTheDocumentsCommandWithItsToolBar) {
    const std::string path = Scan("rough.000", 1);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    frame.Commands().Update(doc::ID_STATISTICS);
    EXPECT_TRUE(frame.Commands().Action(doc::ID_STATISTICS)->isEnabled());
    ASSERT_TRUE(frame.Commands().Execute(doc::ID_STATISTICS));
    Idle();
    ASSERT_EQ(Frames().size(), 2u);
    EXPECT_EQ(Frames()[1]->windowTitle(), QString::fromStdWString(Frames()[1]->GetDocument()->GetTitle()) +
                                              QStringLiteral(" : Statistics : 2"));
    EXPECT_EQ(frame.ActiveKind(), kKindStatistics);
    QToolBar* bar = frame.FindToolBar(136);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->actions().size(), 3);
    EXPECT_FALSE(frame.FindToolBar(131)->isVisible());
    // For looking at: the main frame with both windows and the statistics tool bar.
    QDir(QStringLiteral(VANTRI_TEST_OUT)).mkpath(QStringLiteral("screenshots"));
    frame.grab().save(QStringLiteral(VANTRI_TEST_OUT "/screenshots/app_statistics.png"));
    // The toggles' check marks follow the view.
    ASSERT_TRUE(frame.Commands().Execute(32893));
    frame.Commands().Update(32893);
    EXPECT_TRUE(frame.Commands().Action(32893)->isChecked());
}

TEST_F(App, TheViewCommandsOpenA3DAndABumpWindowWithTheirToolBars) {
    const std::string path = Scan("relief.000", 1);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    fw::CChildFrame* image = Frames()[0];
    ASSERT_TRUE(frame.Commands().Execute(32772));
    Idle();
    ASSERT_EQ(Frames().size(), 2u);
    EXPECT_TRUE(Frames()[1]->windowTitle().endsWith(QStringLiteral(" : 3D : 2")));
    EXPECT_EQ(frame.ActiveKind(), kKind3D);
    EXPECT_TRUE(frame.FindToolBar(135) && frame.FindToolBar(135)->isVisible());
    EXPECT_FALSE(frame.FindToolBar(131)->isVisible());
    EXPECT_FALSE(frame.FindToolBar(132)->isVisible());
    // Image > Export to offers the model as an STL solid there, and no BMP picture.
    QAction* stl = frame.Commands().Action(m3D::ID_EXPORT_STL);
    ASSERT_NE(stl, nullptr);
    EXPECT_EQ(stl->text(), QStringLiteral("*.stl"));
    bool inMenu = false;
    for (QAction* top : frame.menuBar()->actions())
        if (top->menu() && top->text() == QStringLiteral("&Image"))
            for (QAction* item : top->menu()->actions())
                if (item->menu() && item->text() == QStringLiteral("Export to")) {
                    frame.Commands().Track(item->menu());
                    Q_EMIT item->menu()->aboutToShow();
                    inMenu = item->menu()->actions().contains(stl);
                    EXPECT_FALSE(frame.Commands().Action(m2D::ID_EXPORT_BMP)->isEnabled());
                }
    EXPECT_TRUE(inMenu);
    EXPECT_TRUE(stl->isEnabled());
    frame.MdiArea()->setActiveSubWindow(image);
    Idle();
    ASSERT_TRUE(frame.Commands().Execute(32791));
    Idle();
    ASSERT_EQ(Frames().size(), 3u);
    EXPECT_TRUE(Frames()[2]->windowTitle().endsWith(QStringLiteral(" : Bump : 3")));
    EXPECT_EQ(frame.ActiveKind(), kKindBump);
    EXPECT_TRUE(frame.FindToolBar(134) && frame.FindToolBar(134)->isVisible());
    EXPECT_FALSE(frame.FindToolBar(135)->isVisible());
}

TEST_F(App, EveryToolBarButtonShowsAPictureWithItsTextAsTheTip) {
    const std::string path = Scan("pictures.000", 1);
    mframe::CMainFrame& frame = Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    for (int id : {128, 130, 131, 132, 133, 134, 135, 136}) {
        QToolBar* bar = frame.ToolBar(id);
        ASSERT_NE(bar, nullptr) << id;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator())
                continue;
            const int command = fw::CCommandTable::CommandId(action);
            EXPECT_TRUE(HasInk(action->icon(), 16) && HasInk(action->icon(), 32)) << id << " " << command;
            EXPECT_FALSE(action->toolTip().isEmpty()) << command;
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            ASSERT_NE(button, nullptr) << command;
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << command;
        }
    }
    // Every picture built in is read (the SVG plugins are there) and drawn sharp at ratio 2.
    int pictures = 0;
    for (QDirIterator it(QStringLiteral(":/icons")); it.hasNext(); ++pictures) {
        const QIcon icon(it.next());
        EXPECT_TRUE(HasInk(icon, 16) && HasInk(icon, 24)) << it.filePath().toStdString();
        EXPECT_EQ(icon.pixmap(QSize(16, 16), 2.0).width(), 32) << it.filePath().toStdString();
    }
    EXPECT_GT(pictures, 30);
    // The program's icon: the windows', and the about box's.
    EXPECT_TRUE(HasInk(QApplication::windowIcon(), 32, 2.0));
    CAboutDlg about(&frame);
    const QLabel* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    // For looking at: the main frame with a 2D window and its tool bars.
    QDir(QStringLiteral(VANTRI_TEST_OUT)).mkpath(QStringLiteral("screenshots"));
    frame.grab().save(QStringLiteral(VANTRI_TEST_OUT "/screenshots/app_toolbars.png"));
}

TEST_F(App, SettingsAreWrittenAtIdleAndReadByTheNextRun) {
    Start();
    QSettings settings(QStringLiteral("Ardwyn"), QStringLiteral("Vantri"));
    QByteArray profile = settings.value(QStringLiteral("Settings/Profile")).toByteArray();
    // The defaults, written at the first idle pass since nothing was stored.
    ASSERT_EQ(profile.size(), 10);
    EXPECT_EQ(profile.toHex(), QByteArray("00002b702d702b702b70"));
    app->dialogMemory.FilterChosen(2);
    Idle();
    settings.sync();
    profile = settings.value(QStringLiteral("Settings/Profile")).toByteArray();
    EXPECT_EQ(static_cast<unsigned char>(profile[1]), 2);
    app.reset();
    Start();
    EXPECT_EQ(app->dialogMemory.filterIndex, 2);
    EXPECT_FALSE(app->dialogMemory.changed);
}

// A view that counts its deferred updates.
class CCountingView : public fw::CView {
public:
    std::vector<long> hints;
    void OnUpdate(fw::CView*, long, void*) override {}
    void OnDeferredUpdate(long hint) override { hints.push_back(hint); }
};

TEST_F(App, AnUpdateQueuedTwiceRunsOnce) {
    const std::string path = Scan("queue.000", 1);
    Start({QString::fromStdString(path)});
    ASSERT_EQ(Frames().size(), 1u);
    CCountingView view;
    Frames()[0]->GetDocument()->AddView(&view);
    app->QueueUpdate(&view, doc::kHintRefit);
    app->QueueUpdate(&view, doc::kHintRefit);
    app->QueueUpdate(&view, doc::kHintSurface);
    EXPECT_EQ(app->QueuedUpdates(), 2u);
    Idle();
    EXPECT_EQ(view.hints, (std::vector<long>{doc::kHintRefit, doc::kHintSurface}));
    Frames()[0]->GetDocument()->RemoveView(&view);
}

TEST_F(App, TileLaysThreeWindowsOutInRows) {
    const std::string a = Scan("t1.000", 1), b = Scan("t2.000", 1), c = Scan("t3.000", 1);
    mframe::CMainFrame& frame =
        Start({QString::fromStdString(a), QString::fromStdString(b), QString::fromStdString(c)});
    ASSERT_EQ(Frames().size(), 3u);
    const int client = frame.MdiArea()->viewport()->width();
    // Three frames a little wider than a third of the client: two in the first row.
    for (fw::CChildFrame* f : Frames())
        f->resize(client * 2 / 5, 300);
    ASSERT_TRUE(frame.Commands().Execute(mframe::ID_WINDOW_TILE));
    const auto frames = Frames();
    EXPECT_EQ(frames[0]->pos(), QPoint(0, 0));
    EXPECT_EQ(frames[1]->pos(), QPoint(frames[0]->width(), 0));
    EXPECT_EQ(frames[2]->pos(), QPoint(0, std::max(frames[0]->height(), frames[1]->height())));
}

TEST_F(App, EveryCommandHasItsTexts) {
    mframe::CMainFrame& frame = Start();
    struct CText {
        int id;
        const char* text;
        const char* tip;
    };
    const CText texts[] = {
        {57601, "&Open...\tCtrl+O", "Open"},
        {57602, "&Close", "Close"},
        {57603, "&Save\tCtrl+S", "Save"},
        {57604, "Save &As...", "Save As"},
        {57607, "&Print...\tCtrl+P", "Print"},
        {57609, "Print Pre&view", "Print Preview"},
        {57606, "P&rint Setup...", "Print Setup"},
        {57665, "E&xit", "Exit"},
        {57634, "&Copy\tCtrl+C", "Copy"},
        {32790, "&2D View", "2D View"},
        {32791, "&Bump View", "Bump View"},
        {32772, "&3D View", "3D View"},
        {32782, "Rulers", ""},
        {32783, "Height Bar", ""},
        {59393, "&Status Bar", "Toggle StatusBar"},
        {32778, "&Properties ...", "Properties"},
        {32779, "Flip &vertically", "Flip vertically"},
        {32780, "Flip horizontally", "Flip horizontally"},
        {32794, "&Turn on 90\u00b0", "Turn on 90\u00b0"},
        {32848, "*.bmp", "Export to BMP"},
        {235, "Jump elimination", "Jump elimination"},
        {252, "On Y && X", ""},
        {32847, "Fourier", "Fast Fourier Transformation"},
        {32896, "Auto correlation", "Auto correlation"},
        {242, "Normalize", "Normalize"},
        {32822, "Profile", "Profile"},
        {236, "Statistics", "Statistics"},
        {32891, "Height histogram", "Height histogram"},
        {32892, "Bearing curve", "Bearing curve"},
        {32893, "Adjust plane", "Adjust plane"},
        {57650, "&Cascade", "Cascade Windows"},
        {57651, "&Tile", "Tile Windows"},
        {57649, "&Arrange Icons", "Arrange Icons"},
        {263, "Cl&ose All Documents", "Close all documents"},
        {57667, "&Help Topics", "Help Topics"},
        {57664, "&About Vantri...", ""},
    };
    for (const CText& t : texts) {
        QAction* action = frame.Commands().Action(t.id);
        ASSERT_NE(action, nullptr) << t.id;
        EXPECT_EQ(action->text(), QString::fromUtf8(t.text)) << t.id;
        if (*t.tip) {
            EXPECT_EQ(action->toolTip(), QString::fromUtf8(t.tip)) << t.id;
        }
    }
    EXPECT_EQ(frame.Commands().Action(57601)->statusTip(), QStringLiteral("Open an existing document"));
    EXPECT_EQ(frame.Commands().Action(263)->statusTip(), QStringLiteral("Close all opened documents"));
}

} // namespace
