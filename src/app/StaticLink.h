#pragma once
// A text that links to a web page: underlined, blue until visited and purple after, with the hand
// cursor; a click opens the link in the desktop's browser.
#include <QLabel>
#include <QString>

class CStaticLink : public QLabel {
    Q_OBJECT
public:
    // Without a link the text itself, with "http://" in front, is the link.
    explicit CStaticLink(const QString& text, const QString& link = QString(), QWidget* parent = nullptr);

    QString Link() const;
    bool Visited() const { return m_bVisited; }
    // Opens the link; false (with a beep) when the desktop could not.
    bool Open();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Colour();
    QString m_link;
    bool m_bVisited = false;
};
