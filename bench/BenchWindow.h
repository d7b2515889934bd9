#pragma once
// The window benchmarks' setting: a generated side x side NanoScope III scan opened as the application
// opens it into a 2D window of a main frame on the display, swaps not waiting for the display's
// refresh (whose period is the display's, not the work's). Throws when there is no display or the
// scan does not open.
#include <QSurfaceFormat>
#include <QTest>
#include <stdexcept>

#include "BenchCommon.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"
#include "framework/qt/fwQtApp.h"
#include "view2d/qt/View2D.h"

namespace bench {

inline int NoSwapWait() {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
    return 0;
}

class CScanWindow {
public:
    CScanWindow(int& argc, char** argv, int side)
        : m_noWait(NoSwapWait()), m_qt(argc, argv), m_path(WriteNanoScope(m_temp, side)),
          m_scope(m_recorder) {
        m2D::Register2DDocTypes(m_app);
        m2D::Register2DCommands(main.Commands());
        main.resize(1400, 1000);
        main.show();
        if (!QTest::qWaitForWindowExposed(&main))
            throw std::runtime_error("no display");
        document = dynamic_cast<doc::CVantriDoc*>(m_app.OpenDocumentFile(fw::FromUtf8(m_path)));
        if (!document) {
            ReportOpenFailure(m_path, m_recorder);
            throw std::runtime_error("the generated scan did not open");
        }
        auto frames = fw::CChildFrame::FramesOf(*document);
        auto* frame = frames.empty() ? nullptr : dynamic_cast<m2D::C2DChildFrame*>(frames.front());
        if (!frame || !QTest::qWaitForWindowExposed(frame))
            throw std::runtime_error("no 2D window");
        view = frame->GetView();
        QTest::qWait(100);
    }
    ~CScanWindow() { m_app.GetDocManager().CloseAllDocuments(); }
    CScanWindow(const CScanWindow&) = delete;
    CScanWindow& operator=(const CScanWindow&) = delete;

private:
    int m_noWait;
    fw::CQtApp m_qt;
    TempDir m_temp;
    std::string m_path;
    fw::CMessageRecorder m_recorder;
    fw::CScopedMessages m_scope;
    doc::CSurfaceApp m_app;

public:
    fw::CMDIFrame main;
    doc::CVantriDoc* document = nullptr;
    m2D::C2DView* view = nullptr;
};

} // namespace bench
