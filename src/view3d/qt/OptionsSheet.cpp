#include "view3d/qt/OptionsSheet.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gl {

std::unique_ptr<QDialog> MakeOptionsSheet(QWidget* owner,
                                          const std::function<std::vector<QWidget*>(QWidget*)>& pages,
                                          std::function<void()> apply, std::function<void()> cancel) {
    auto sheet = std::make_unique<QDialog>(owner);
    sheet->setWindowTitle(QStringLiteral("Options"));
    auto* layout = new QVBoxLayout(sheet.get());
    auto* tabs = new QTabWidget(sheet.get());
    for (QWidget* page : pages(tabs))
        tabs->addTab(page, page->windowTitle());
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, sheet.get());
    layout->addWidget(buttons);
    QDialog* dialog = sheet.get();
    QObject::connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, dialog, apply);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, apply] {
        apply();
        dialog->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog, cancel] {
        if (cancel)
            cancel();
        dialog->reject();
    });
    return sheet;
}

} // namespace gl
