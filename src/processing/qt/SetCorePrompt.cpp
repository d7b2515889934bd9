#include "processing/qt/SetCorePrompt.h"

#include <QApplication>
#include <QTimer>

#include "processing/qt/SetCore.h"

namespace doc {

bool CSetCorePrompt::PromptKernel(CKernelDialogValues& values) {
    QWidget* owner = m_owner ? m_owner.data() : QApplication::activeWindow();
    CSetCore dialog(owner);
    dialog.SetValues(values);
    if (onShown)
        QTimer::singleShot(0, &dialog, [this, &dialog] { onShown(dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.Values();
    return true;
}

} // namespace doc
