#pragma once
// "About Vantri": the program's icon, its name and version in bold, a link to its web page, and OK.
#include <QDialog>

class CStaticLink;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    CStaticLink* Link() const { return m_pLink; }

private:
    CStaticLink* m_pLink;
};
