#pragma once
// A status bar along the top of a child frame: a row of sunken text panes, each as wide as its text.
#include <QFrame>
#include <QString>
#include <QStringList>
#include <vector>

class QLabel;

class CStatusBarTop : public QFrame {
    Q_OBJECT
public:
    // One pane per text, in order.
    explicit CStatusBarTop(const QStringList& panes, QWidget* parent = nullptr);

    // A pane with its style: a caption without a border, or a sunken value pane at least `width`
    // pixels wide (a longer text still shows whole).
    struct CPane {
        QString text;
        int width = 0;
        bool border = true;
    };
    explicit CStatusBarTop(const std::vector<CPane>& panes, QWidget* parent = nullptr);

    int PaneCount() const { return static_cast<int>(m_panes.size()); }
    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;

private:
    void AddPane(const CPane& pane);
    std::vector<QLabel*> m_panes;
};
