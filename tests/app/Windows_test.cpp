// The windows as a desktop user handles them: maximise and restore, tile, where new files' windows
// go, the Window menu, print preview, saving over a scan, the open and export dialogs, the readout.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

#include "analysis/qt/Spectra.h"
#include "app/AppCommands.h"
#include "app/AppKit.h"
#include "framework/qt/fwCommandTable.h"
#include "model/SurfaceCommands.h"
#include "view2d/ViewOptions.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/View2D.h"
#include "view2d/qt/Window2DKit.h"

namespace {

class Windows : public App {
protected:
    m2D::CPlaneChildFrame* Plane(std::size_t k) const {
        return dynamic_cast<m2D::CPlaneChildFrame*>(Frames().at(k));
    }
    // What a user sees of an image window: where it is, its scale, its top ruler, its state.
    static std::tuple<QRect, float, int, bool> Shown(m2D::CPlaneChildFrame* frame) {
        m2D::CPlaneView* view = frame->View();
        return {frame->geometry(), view->Model().Props().m_fHScale, view->Model().RulerMargins(false).top,
                frame->isMaximized()};
    }
    static void Shot(QWidget& widget, const char* name) { win2d::Keep(widget.grab().toImage(), name); }
    // Ctrl+S on the active image, as a user presses it.
    void PressCtrlS() {
        auto* view = dynamic_cast<QWidget*>(Frames().at(0)->GetActiveView());
        ASSERT_NE(view, nullptr);
        // A closed box leaves no window active where no window manager gives the focus back.
        view->window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == view->window(); }));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    }
    // Clicks the main tool bar's button of a command.
    void ClickButton(int id) {
        QToolBar* bar = app->MainFrame()->FindToolBar(128);
        QWidget* button = bar ? bar->widgetForAction(app->MainFrame()->Commands().Action(id)) : nullptr;
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Once the next modal dialog or box shows: keeps a picture of it, then does what `answer` does.
    // Looks every 100 ms, for five seconds at most.
    static void WhenModal(const char* shot, std::function<void(QWidget*)> answer, int tries = 50) {
        QTimer::singleShot(100, [shot, answer, tries] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) {
                if (tries > 0)
                    WhenModal(shot, answer, tries - 1);
                return;
            }
            if (shot)
                Shot(*modal, shot);
            answer(modal);
        });
    }
};

TEST_F(Windows, MaximiseKeepsTheWholeImageAndRestoreGivesBackTheWindow) {
    mframe::CMainFrame& main = Start({QString::fromStdString(Scan("square.000", 1, 256))});
    m2D::CPlaneChildFrame* frame = Plane(0);
    ASSERT_NE(frame, nullptr);
    m2D::CPlaneView* view = frame->View();
    const auto before = Shown(frame);
    frame->showMaximized();
    Idle();
    ASSERT_TRUE(frame->isMaximized());
    Shot(main, "maximised");
    // The image fits, or scroll bars reach the rest of it.
    const m2D::CSize image = view->ImageSize();
    const rulers::CMargins m = view->Model().RulerMargins(false);
    EXPECT_TRUE(image.height + m.top + m.bottom <= view->GetClientHeight() || view->HasVScrollBar())
        << image.height << " " << view->GetClientHeight();
    EXPECT_TRUE(image.width + m.left + m.right <= view->GetClientWidth() || view->HasHScrollBar());
    frame->showNormal();
    Idle();
    Shot(main, "restored");
    EXPECT_EQ(Shown(frame), before);
}

TEST_F(Windows, PrintPreviewLeavesTheWindowAsItWas) {
    mframe::CMainFrame& main = Start({QString::fromStdString(Scan("preview.000", 1, 256))});
    m2D::CPlaneChildFrame* frame = Plane(0);
    ASSERT_NE(frame, nullptr);
    const auto before = Shown(frame);
    bool shown = false;
    WhenModal("print_preview", [&](QWidget* dialog) {
        shown = true;
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ClickButton(57609);
    Idle();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Shown(frame), before);
    Shot(main, "after_preview");
}

TEST_F(Windows, TileRestoresMinimisedWindowsAtTheirFittedSize) {
    mframe::CMainFrame& main =
        Start({QString::fromStdString(Scan("m1.000", 1)), QString::fromStdString(Scan("m2.000", 1))});
    ASSERT_EQ(Frames().size(), 2u);
    std::vector<QSize> sizes;
    for (std::size_t k = 0; k < 2; ++k) {
        sizes.push_back(Frames()[k]->size());
        Frames()[k]->showMinimized();
    }
    Idle();
    ASSERT_TRUE(main.Commands().Execute(mframe::ID_WINDOW_TILE));
    Idle();
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_FALSE(Frames()[k]->isMinimized());
        EXPECT_EQ(Frames()[k]->size(), sizes[k]) << k;
    }
    Shot(main, "tiled_after_minimised");
}

TEST_F(Windows, ANewFilesWindowsCoverNoOpenWindowWhileThereIsRoomAndStayInside) {
    mframe::CMainFrame& main = Start();
    const QRect client(QPoint(0, 0), main.MdiArea()->viewport()->size());
    std::vector<QRect> seen;
    for (const char* name : {"p1.000", "p2.000", "p3.000"}) {
        ASSERT_NE(app->OpenDocumentFile(QString::fromStdString(Scan(name, 2)).toStdWString()), nullptr);
        Idle();
        const std::vector<fw::CChildFrame*> frames = Frames();
        for (std::size_t k = seen.size(); k < frames.size(); ++k) {
            const QRect place = frames[k]->geometry();
            EXPECT_TRUE(client.contains(place)) << name;
            // Two windows of a file of two images leave room beside them for the next file's.
            for (const QRect& earlier : seen)
                EXPECT_TRUE(seen.size() >= 4 || !earlier.intersects(place)) << name;
        }
        for (std::size_t k = seen.size(); k < frames.size(); ++k)
            seen.push_back(frames[k]->geometry());
    }
    EXPECT_EQ(seen.size(), 6u);
    Shot(main, "three_files_placed");
}

// The Window menu opened with a click on the menu bar, and its items after the commands.
QMenu* OpenWindowMenu(QMenuBar* bar) {
    for (QAction* top : bar->actions())
        if (top->text() == QStringLiteral("&Window")) {
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(top).center());
            QTest::qWait(100);
            return top->menu();
        }
    return nullptr;
}
QStringList ListedWindows(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions())
        if (action->property("windowList").toBool() && !action->isSeparator())
            items.append((action->isChecked() ? QStringLiteral("* ") : QString()) + action->text());
    return items;
}

TEST_F(Windows, TheWindowMenuListsTheOpenWindowsAndActivatesTheOneChosen) {
    mframe::CMainFrame& main = Start({QString::fromStdString(Scan("listed.000", 2))});
    ASSERT_EQ(Frames().size(), 2u);
    main.MdiArea()->setActiveSubWindow(Frames()[0]);
    QMenu* menu = OpenWindowMenu(main.menuBar());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->isVisible());
    Shot(*menu, "window_menu");
    EXPECT_EQ(ListedWindows(menu),
              (QStringList{"* &1 " + Frames()[0]->windowTitle(), "&2 " + Frames()[1]->windowTitle()}));
    QAction* second = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QStringLiteral("&2 ")))
            second = action;
    ASSERT_NE(second, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(second).center());
    Idle();
    EXPECT_EQ(main.MdiArea()->activeSubWindow(), Frames()[1]);
    // Beyond nine windows, nine are listed and "More Windows..." offers the rest.
    for (int k = 0; k < 8; ++k)
        ASSERT_TRUE(main.Commands().Execute(mframe::ID_VIEW_2D));
    Idle();
    ASSERT_EQ(Frames().size(), 10u);
    menu = OpenWindowMenu(main.menuBar());
    const QStringList listed = ListedWindows(menu);
    ASSERT_EQ(listed.size(), 10);
    EXPECT_TRUE(listed[8].contains(QStringLiteral("&9 ")));
    EXPECT_EQ(listed[9], QStringLiteral("&More Windows..."));
    menu->close();
}

TEST_F(Windows, ExportToBmpStartsBesideTheScanAndAddsTheExtension) {
    mframe::CMainFrame& main = Start({QString::fromStdString(Scan("picture.007", 1))});
    ASSERT_EQ(Frames().size(), 1u);
    QString folder, proposed;
    WhenModal("export_dialog", [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        proposed = name->text();
        // A name typed without an extension, and a blank at its end.
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("typed "));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ASSERT_TRUE(main.Commands().Execute(m2D::ID_EXPORT_BMP));
    Idle();
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(proposed, QStringLiteral("picture.bmp"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("typed.bmp"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("typed "))));
}

TEST_F(Windows, TheOpenDialogStartsInTheDocumentsAndOpensSeveralFilesInOrder) {
    // The user's documents folder, as the desktop names it.
    QDir(dir.path()).mkdir(QStringLiteral("documents"));
    const QString documents = QDir(dir.path()).filePath(QStringLiteral("documents"));
    QFile dirs(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
    dirs.close();
    for (const char* name : {"first.000", "second.000"})
        ASSERT_TRUE(QFile::rename(QString::fromStdString(Scan(name, 1)), QDir(documents).filePath(name)));
    mframe::CMainFrame& main = Start();
    QString folder;
    WhenModal("open_dialog", [&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::qWait(300); // the folder read, so that the completer offers nothing unasked
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("\"second.000\" \"first.000\""));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ClickButton(mframe::ID_FILE_OPEN);
    Idle();
    dirs.remove();
    EXPECT_EQ(folder, documents);
    ASSERT_EQ(Frames().size(), 2u);
    EXPECT_TRUE(Frames()[0]->windowTitle().startsWith(QStringLiteral("second.000")));
    EXPECT_TRUE(Frames()[1]->windowTitle().startsWith(QStringLiteral("first.000")));
    EXPECT_FALSE(Frames()[0]->geometry().intersects(Frames()[1]->geometry()));
    Shot(main, "opened_two");
}

TEST_F(Windows, SaveAsksBeforeReplacingTheScanItWasReadFrom) {
    const QString path = QString::fromStdString(Scan("measured.000", 1));
    auto contents = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray measured = contents();
    mframe::CMainFrame& main = Start({path});
    main.activateWindow();
    Idle();
    ASSERT_TRUE(main.Commands().Execute(doc::ID_FLAT_Y));
    // Ctrl+S, and the box's Cancel: nothing is written.
    QString text;
    WhenModal("save_over_scan", [&](QWidget* box) {
        text = static_cast<QMessageBox*>(box)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    PressCtrlS();
    Idle();
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("Replace the measured data in measured.000 with the corrected surface?")))
        << text.toStdString();
    EXPECT_EQ(contents(), measured);
    // Again, and Replace: written; a third Save asks nothing.
    WhenModal(nullptr, [](QWidget* box) {
        QTest::mouseClick(static_cast<QMessageBox*>(box)->button(QMessageBox::Yes), Qt::LeftButton);
    });
    PressCtrlS();
    Idle();
    EXPECT_NE(contents(), measured);
    EXPECT_FALSE(Frames()[0]->GetDocument()->IsModified());
    bool asked = false;
    WhenModal(nullptr, [&](QWidget* box) {
        asked = true;
        QTest::keyClick(box, Qt::Key_Escape);
    });
    PressCtrlS();
    QTest::qWait(500);
    EXPECT_FALSE(asked);
}

// The mouse over an image: the main window's status bar reads where it is as the rulers count and
// the height there; over the spectrum the amplitude, over the auto-correlation the correlation.
TEST_F(Windows, TheStatusBarReadsThePointUnderTheMouseAndClearsWhenItLeaves) {
    mframe::CMainFrame& main = Start({QString::fromStdString(Scan("readout.000", 1, 64))});
    m2D::CPlaneView* view = Plane(0)->View();
    const doc::CDataDoc& surface = *view->GetSurface();
    const rulers::CMargins m = view->Model().RulerMargins(false);
    const m2D::CSize image = view->ImageSize();
    ASSERT_EQ(surface.columns, 64);
    ASSERT_GE(image.width, 64);
    const auto message = [&] { return main.statusBar()->currentMessage().toStdWString(); };
    // The pointer moves on the display; its event comes when the display sends it.
    const auto moveUntil = [&](QWidget* widget, QPoint at,
                               const std::function<bool(const std::wstring&)>& reads) {
        QTest::mouseMove(widget, at);
        const bool read = QTest::qWaitFor([&] { return reads(message()); }, 3000);
        EXPECT_TRUE(read) << QString::fromStdWString(message()).toStdString();
    };
    // The height as the bar beside the image counts it: 0 in the middle of the range.
    ASSERT_EQ(view->Model().Props().m_nBarOrigin, rulers::kZeroCentre);
    // The middle of sample (10, 20), from the image's top-left corner.
    const QPoint at(m.left + (10 * image.width + image.width / 2) / 64,
                    m.top + (20 * image.height + image.height / 2) / 64);
    const auto expected = [&](int row) {
        return std::wstring(L"x ") + (surface.width * (double(at.x() - m.left) / image.width)).str(4) +
               L"  y " + (surface.height * (double(at.y() - m.top) / image.height)).str(4) + L"  z " +
               (surface.range * (double(surface.heights[std::size_t(row) * 64 + 10]) - 0.5)).str(4);
    };
    moveUntil(view->viewport(), at, [&](const std::wstring& text) { return text == expected(20); });
    Shot(main, "readout_2d");
    // Flipped upside down, the same place of the window shows row 43 of the surface.
    ASSERT_TRUE(main.Commands().Execute(m2D::ID_FLIP_VERTICALLY));
    moveUntil(view->viewport(), at + QPoint(1, 0), [&](const std::wstring& text) { return !text.empty(); });
    moveUntil(view->viewport(), at, [&](const std::wstring& text) { return text == expected(43); });
    // Off the image onto the rulers, and out of the window: nothing.
    moveUntil(view->viewport(), QPoint(m.left / 2, at.y()),
              [](const std::wstring& text) { return text.empty(); });
    moveUntil(view->viewport(), at, [](const std::wstring& text) { return !text.empty(); });
    moveUntil(main.menuBar(), QPoint(5, 5), [](const std::wstring& text) { return text.empty(); });

    const auto opened = [&](auto* kind) -> m2D::CPlaneView* {
        for (fw::CChildFrame* frame : Frames())
            if (auto* found = dynamic_cast<decltype(kind)>(frame))
                return found->View();
        return nullptr;
    };
    const auto centreOf = [&](m2D::CPlaneView* analysis) {
        const rulers::CMargins am = analysis->Model().RulerMargins(false);
        const m2D::CSize size = analysis->ImageSize();
        return QPoint(am.left + (32 * size.width + size.width / 2) / 64,
                      am.top + (32 * size.height + size.height / 2) / 64);
    };
    const auto endsWith = [](const std::wstring& text, const std::wstring& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    // The auto-correlation of a shift of nothing is 1, at the image's centre.
    main.MdiArea()->setActiveSubWindow(main.MdiArea()->subWindowList().front());
    ASSERT_TRUE(main.Commands().Execute(doc::ID_AUTOCORRELATION));
    Idle();
    m2D::CPlaneView* correlation = opened(static_cast<correl::CChildFrame*>(nullptr));
    ASSERT_NE(correlation, nullptr);
    moveUntil(correlation->viewport(), centreOf(correlation),
              [&](const std::wstring& text) { return endsWith(text, L"  K 1.000"); });
    // The spectrum in dB, then in the surface's unit.
    main.MdiArea()->setActiveSubWindow(main.MdiArea()->subWindowList().front());
    ASSERT_TRUE(main.Commands().Execute(doc::ID_FOURIER));
    Idle();
    m2D::CPlaneView* spectrum = opened(static_cast<fourier::CChildFrame*>(nullptr));
    ASSERT_NE(spectrum, nullptr);
    moveUntil(spectrum->viewport(), centreOf(spectrum) + QPoint(3, 0), [&](const std::wstring& text) {
        return text.find(L"  A ") != std::wstring::npos && endsWith(text, L" dB");
    });
    Shot(main, "readout_spectrum");
    ASSERT_TRUE(main.Commands().Execute(fourier::ID_LOG_SCALE));
    moveUntil(spectrum->viewport(), centreOf(spectrum), [&](const std::wstring& text) {
        return text.find(L"  A ") != std::wstring::npos && text.find(L"dB") == std::wstring::npos;
    });
}

} // namespace
