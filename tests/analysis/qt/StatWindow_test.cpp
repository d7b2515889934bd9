// The statistics window on the virtual display: opening, the toggles, re-binning on resize, the lock,
// printing, and what it shows of a real scan against vantri-cli stats.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrinter>
#include <charconv>
#include <cstdio>
#include <random>

#include "analysis/Roughness.h"
#include "analysis/qt/StatChildFrame.h"
#include "analysis/qt/StatView.h"
#include "analysis/qt/Statistics.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "view2d/qt/Window2DKit.h"

namespace {

using statist::CChildFrame;
using statist::CStatView;

// Rough heights: a tilt with noise.
class CRoughDoc : public doc::CVantriDoc {
public:
    CRoughDoc(int columns, int rows, float noise) {
        this->columns = columns;
        this->rows = rows;
        width = ph::Size(10.0, "\xb5m");
        height = ph::Size(10.0, "\xb5m");
        range = ph::Size(200.0, "nm");
        heights.resize(std::size_t(columns) * rows);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> u(-noise, noise);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
                heights[std::size_t(j) + std::size_t(i) * columns] =
                    0.3f + 0.002f * j + 0.001f * i + u(random);
        SetTitle(L"rough");
    }
};

class StatHost : public win2d::Host {
protected:
    void SetUp() override {
        win2d::Host::SetUp();
        statist::RegisterStatisticsCommands(main.Commands());
    }
    CChildFrame* OpenStats(fw::CDocument& document) {
        CChildFrame* frame = statist::OpenStatistics(document, nullptr);
        EXPECT_NE(frame, nullptr);
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
            QTest::qWait(50);
        }
        return frame;
    }
    static bool Checked(const CStatView& view, int id) {
        fw::CCmdState state;
        view.OnUpdateCommand(id, state);
        return state.enabled && state.checked;
    }
};

TEST_F(StatHost, OpensWithItsTitlePanesAndBothGraphsSideBySide) {
    CRoughDoc document(120, 90, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    frame->OnUpdateFrameTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("rough : Statistics"));
    EXPECT_EQ(frame->Kind(), kKindStatistics);
    EXPECT_EQ(frame->size(), QSize(CChildFrame::kWidth, CChildFrame::kHeight));
    EXPECT_EQ(frame->PaneText(0), QStringLiteral(" Roughness"));
    EXPECT_EQ(frame->PaneText(7), QStringLiteral(" Ks:"));
    const statist::CRoughness r = statist::Roughness(document.heights.data(), 120, 90);
    EXPECT_EQ(frame->PaneText(CChildFrame::kPaneRa).toStdWString(),
              statist::QuantityText(statist::Physical(document.range, r.ra)));
    EXPECT_EQ(frame->PaneText(CChildFrame::kPaneKs).toStdWString(), statist::MomentText(r.ks));

    CStatView& view = *frame->View();
    const int w = view.GetClientWidth(), h = view.GetClientHeight();
    EXPECT_EQ(view.Histogram().left, 36);
    EXPECT_EQ(view.Histogram().width, w / 2 - 60);
    EXPECT_EQ(view.Bearing().left, w / 2 + 36);
    EXPECT_EQ(view.Histogram().Count(), w / 2 - 60);
    EXPECT_EQ(view.Bearing().Count(), h - 48);
    EXPECT_EQ(view.Histogram().caption.rfind(L"Height histogram (\u2206H = ", 0), 0u);
    for (int id : {statist::ID_HEIGHT_HISTOGRAM, statist::ID_BEARING_CURVE})
        EXPECT_TRUE(Checked(view, id));
    EXPECT_FALSE(Checked(view, statist::ID_ADJUST_PLANE));
    win2d::Keep(frame->grab().toImage(), QStringLiteral("statistics_rough"));

    // Blue bins in the left half, blue levels in the right, on the grey plot areas.
    const QImage screen = Screen(view);
    int blueLeft = 0, blueRight = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) == qRgb(0, 0, 255))
                ++(x < screen.width() / 2 ? blueLeft : blueRight);
    EXPECT_GT(blueLeft, 200);
    EXPECT_GT(blueRight, 200);
}

TEST_F(StatHost, AFlatSurfaceShowsNoSkewnessAndStillDraws) {
    win2d::CSurfaceDoc document(40, 30);
    document.heights.assign(document.heights.size(), 0.5f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->PaneText(CChildFrame::kPaneSk), QStringLiteral("n/a"));
    EXPECT_EQ(frame->PaneText(CChildFrame::kPaneKs), QStringLiteral("n/a"));
    EXPECT_EQ(frame->View()->Histogram().largest, 0.0);
    EXPECT_FALSE(Screen(*frame->View()).isNull());

    // A single line of samples has no plane; its slope is taken out along the line.
    CRoughDoc line(300, 1, 0.0f);
    frame = OpenStats(line);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->PaneText(CChildFrame::kPaneRa).startsWith(QStringLiteral("0.00 ")));
    Run(statist::ID_ADJUST_PLANE);
    EXPECT_GT(frame->View()->Bearing().Count(), 0);
    EXPECT_FALSE(Screen(*frame->View()).isNull());
}

TEST_F(StatHost, HidingTheOnlyGraphShowsTheOther) {
    CRoughDoc document(60, 40, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    CStatView& view = *frame->View();
    const int w = view.GetClientWidth();
    ASSERT_TRUE(Run(statist::ID_BEARING_CURVE));
    EXPECT_FALSE(view.BearingShown());
    EXPECT_EQ(view.Histogram().Count(), w - 60); // the whole width now
    Run(statist::ID_HEIGHT_HISTOGRAM);
    EXPECT_FALSE(view.HistogramShown());
    EXPECT_TRUE(view.BearingShown());
    EXPECT_EQ(view.Bearing().left, 36);
    EXPECT_FALSE(Checked(view, statist::ID_HEIGHT_HISTOGRAM));
    Run(statist::ID_BEARING_CURVE); // hiding the only one shows the histogram
    EXPECT_TRUE(view.HistogramShown());
    EXPECT_FALSE(view.BearingShown());
}

TEST_F(StatHost, ResizingRebinsWithoutPreparingTheHeightsAgain) {
    CRoughDoc document(200, 150, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    CStatView& view = *frame->View();
    const int bins = view.Histogram().Count(), levels = view.Bearing().Count();
    const int prepared = view.Preparations();
    EXPECT_EQ(prepared, 1);
    // Two pixels wider: one more bin (each graph has half the width; the view lays out in the
    // window's own pixels at any screen density); the levels stay.
    frame->resize(frame->width() + 2, frame->height());
    QTest::qWait(50);
    EXPECT_EQ(view.Histogram().Count(), bins + 1);
    EXPECT_EQ(view.Histogram().Count(), view.GetClientWidth() / 2 - 60);
    EXPECT_EQ(view.Bearing().Count(), levels);
    // One pixel taller: one more level; the bins stay.
    frame->resize(frame->width(), frame->height() + 1);
    QTest::qWait(50);
    EXPECT_EQ(view.Histogram().Count(), bins + 1);
    EXPECT_EQ(view.Bearing().Count(), levels + 1);
    EXPECT_EQ(view.Preparations(), prepared);
    // Adjusting the plane prepares again and removes the tilt: the heights span less.
    const float before = view.Bearing().yMax;
    Run(statist::ID_ADJUST_PLANE);
    EXPECT_TRUE(Checked(view, statist::ID_ADJUST_PLANE));
    EXPECT_EQ(view.Preparations(), prepared + 1);
    EXPECT_LT(view.Bearing().yMax, before * 0.5f);
    // The smallest window.
    frame->resize(100, 50);
    EXPECT_GE(frame->width(), CChildFrame::kMinWidth);
    EXPECT_GE(frame->height(), CChildFrame::kMinHeight);
}

TEST_F(StatHost, LockUpdateKeepsGraphsAndNumbersUntilItIsTurnedOff) {
    CRoughDoc document(80, 60, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    CStatView& view = *frame->View();
    const std::vector<float> lines = view.Histogram().lines;
    const QString ra = frame->PaneText(CChildFrame::kPaneRa);
    Run(statist::ID_LOCK_UPDATE);
    EXPECT_TRUE(Checked(view, statist::ID_LOCK_UPDATE));
    for (float& v : document.heights)
        v = 0.5f + (v - 0.5f) * 0.25f; // a quarter of the roughness
    document.UpdateAllViews(nullptr, doc::kHintSurface, nullptr);
    EXPECT_EQ(view.Histogram().lines, lines);
    EXPECT_EQ(frame->PaneText(CChildFrame::kPaneRa), ra);
    Run(statist::ID_LOCK_UPDATE);
    EXPECT_FALSE(view.IsLocked());
    EXPECT_NE(view.Histogram().lines, lines);
    EXPECT_NE(frame->PaneText(CChildFrame::kPaneRa), ra);
}

TEST_F(StatHost, CopyGivesThePictureAndTheGraphsNumbers) {
    CRoughDoc document(80, 60, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    CStatView& view = *frame->View();
    view.setFocus();
    Run(gl::ID_EDIT_COPY);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).size(),
              QSize(view.GetClientWidth(), view.GetClientHeight()));
    const QStringList tables = copied->text().split(QStringLiteral("\n\n"));
    ASSERT_EQ(tables.size(), 2);
    const QStringList bins = tables[0].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(bins[0], QStringLiteral("height (nm)\tfraction (%)"));
    EXPECT_EQ(bins.size(), view.Histogram().Count() + 1);
    const QStringList levels = tables[1].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(levels[0], QStringLiteral("bearing (%)\theight (nm)"));
    EXPECT_EQ(levels.size(), view.Bearing().Count() + 1);
    // The shares of the bins make the whole.
    double total = 0.0;
    for (int k = 1; k < bins.size(); ++k)
        total += bins[k].section(QLatin1Char('\t'), 1).toDouble();
    EXPECT_NEAR(total, 100.0, 0.01);
}

TEST_F(StatHost, PrintsToAPdfFile) {
    CRoughDoc document(80, 60, 0.05f);
    CChildFrame* frame = OpenStats(document);
    ASSERT_NE(frame, nullptr);
    const QString path = QStringLiteral(VANTRI_TEST_OUT) + QStringLiteral("/statistics.pdf");
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    EXPECT_TRUE(frame->View()->OnFilePrint(printer));
    EXPECT_GT(QFileInfo(path).size(), 2000);
    // The screen's rulers are back after the paper's.
    EXPECT_FALSE(frame->View()->Histogram().horz.ticks().empty());
}

// The JSON text after "key": up to the next quote.
std::string TextAfter(const std::string& line, const std::string& key) {
    const std::size_t at = line.find("\"" + key + "\": \"");
    if (at == std::string::npos)
        return std::string();
    const std::size_t from = at + key.size() + 5;
    return line.substr(from, line.find('"', from) - from);
}

TEST_F(StatHost, ARealScanShowsWhatTheCommandLinePrints) {
    doc::CSurfaceApp app;
    m2D::Register2DDocTypes(app);
    const std::string path = std::string(VANTRI_TEST_DATA) + "/real/scilab4spm__data1.007";
    auto* document = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    ASSERT_NE(document, nullptr);
    CChildFrame* frame = OpenStats(*document);
    ASSERT_NE(frame, nullptr);
    QTest::qWait(50);
    win2d::Keep(frame->grab().toImage(), QStringLiteral("statistics_real"));
    CStatView& view = *frame->View();
    const std::string command = std::string(VANTRI_CLI) + " stats --image 0 --bins " +
                                std::to_string(view.Histogram().Count()) + " --levels " +
                                std::to_string(view.Bearing().Count()) + " '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string line;
    char buffer[65536];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        line.append(buffer, n);
    ASSERT_EQ(::pclose(pipe), 0);
    auto text = [&](int pane) { return fw::ToUtf8(frame->PaneText(pane).toStdWString()); };
    EXPECT_EQ(TextAfter(line, "text"), text(CChildFrame::kPaneRa)); // the first text is Ra's
    EXPECT_NE(line.find("\"rq\": {\"value\""), std::string::npos);
    EXPECT_NE(line.find("\"text\": \"" + text(CChildFrame::kPaneRq) + "\"}, \"sk\""), std::string::npos);
    EXPECT_EQ(TextAfter(line, "sk_text"), text(CChildFrame::kPaneSk));
    EXPECT_EQ(TextAfter(line, "ks_text"), text(CChildFrame::kPaneKs));
    EXPECT_NE(line.find("\"caption\": \"" + fw::ToUtf8(view.Histogram().caption) + "\""), std::string::npos);
    EXPECT_NE(line.find("\"caption\": \"" + fw::ToUtf8(view.Bearing().caption) + "\""), std::string::npos);
    // The tallest bin: the window's F is the largest of the printed fractions.
    const std::size_t open = line.find("\"fractions\": [") + 14;
    const std::string fractions = line.substr(open, line.find(']', open) - open);
    // Read in the C number format, whatever locale the window's test runs in.
    double largest = 0.0;
    for (const char *p = fractions.c_str(), *last = p + fractions.size(); p < last;) {
        double fraction = 0.0;
        const std::from_chars_result read = std::from_chars(p, last, fraction);
        ASSERT_EQ(read.ec, std::errc());
        largest = std::max(largest, fraction);
        p = read.ptr + (read.ptr < last ? 2 : 0); // past ", "
    }
    EXPECT_EQ(largest, view.Histogram().largest);
}

} // namespace
