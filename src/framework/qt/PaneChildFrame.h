#pragma once
// A child frame with a row of status panes along its top and one view under them, titled by its
// document's title, a text of its kind (" : 3D") and its number among the document's windows.
#include <QString>
#include <vector>

#include "framework/qt/AdvChildFrame.h"
#include "framework/qt/StatusBarTop.h"

class QVBoxLayout;

class CPaneChildFrame : public CAdvChildFrame {
    Q_OBJECT
public:
    CPaneChildFrame(fw::CDocument* document, const std::vector<CStatusBarTop::CPane>& panes,
                    QString titleSuffix, QWidget* parent = nullptr);

    CStatusBarTop* StatusBar() const { return m_pStatus; }
    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;

    // The document's title, the suffix, and " : n" for the n-th of the document's windows; set only
    // when it differs.
    void OnUpdateFrameTitle() override;

protected:
    // Puts the view under the panes (with a line between them when `rule`) and adds it as the frame's
    // view.
    void SetView(QWidget* view, bool rule = false);

private:
    QVBoxLayout* m_pLayout = nullptr;
    CStatusBarTop* m_pStatus = nullptr;
    QString m_suffix;
};
