#include "app/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/StaticLink.h"
#include "app/ToolIcons.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Vantri"));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(mframe::AppIcon().pixmap(32, 32));
    auto* product =
        new QLabel(QStringLiteral("Vantri Version %1").arg(QApplication::applicationVersion()), this);
    product->setObjectName(QStringLiteral("product"));
    QFont bold = product->font();
    bold.setWeight(QFont::DemiBold); // 600
    product->setFont(bold);
    m_pLink = new CStaticLink(QStringLiteral("www.ardwyn.com/vantri"), QString(), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(m_pLink);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
