#pragma once
// Help: the user guide's pages (Markdown turned into HTML when the program is built, installed beside
// it) opened in the desktop's browser. Help Topics opens the contents, F1 the page of the active
// window (or of the menu command under the cursor in an open menu), and context help (Shift+F1 or the
// "?" button) the page of whatever the user clicks next: a tool button, a menu command or a window.
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace mframe {

// A place in the guide: a page (its file name without ".html") and the id of a heading on it, if any.
struct CTopic {
    QString page;
    QString anchor;
};

// The place that explains a command, or a kind of window (WindowKind); the contents for others.
CTopic TopicOfCommand(int id);
CTopic TopicOfKind(int kind);

// The folder of the guide's pages: VANTRI_GUIDE_DIR from the environment when it is set, else the
// guide installed beside the program (../share/doc/vantri/guide), else the one of the build it came
// from; empty when none of them holds the contents page.
QString GuideFolder();
// The page's address, with the heading as its fragment; empty when the guide or the page is missing.
QUrl TopicUrl(const CTopic& topic);

class CHelp : public QObject {
    Q_OBJECT
public:
    explicit CHelp(QObject* owner);
    ~CHelp() override;

    // Opens the topic's page; a missing guide or a browser that does not start is said in a box.
    bool Open(const CTopic& topic);
    // The next click (or Enter on a menu command) names what to explain instead of doing it; Escape
    // gives up. The cursor is the question mark meanwhile.
    void StartContextHelp();
    bool InContextHelp() const { return m_bActive; }
    // Opens an address; the desktop's browser (QDesktopServices) unless a test sets another.
    std::function<bool(const QUrl&)> openUrl;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EndContextHelp();
    // The topic of a point the user clicked in context help.
    CTopic TopicAt(QWidget* widget, const QPoint& globalPos) const;
    void Explain(const CTopic& topic);

    bool m_bActive = false;
    bool m_bSwallowRelease = false;
};

} // namespace mframe
