#pragma once
// The documents' custom filter and morphology commands ask for their kernel through this: it shows
// "Setting of Core" with the values the document remembers and hands back what was confirmed.
// Install it once the main window exists: doc::SetKernelPrompt(&prompt).
#include <QPointer>
#include <QWidget>
#include <functional>

#include "model/VantriDoc.h"

namespace doc {

class CSetCore;

class CSetCorePrompt : public IKernelPrompt {
public:
    // The dialog sits over owner, or over the active window when there is none.
    explicit CSetCorePrompt(QWidget* owner = nullptr) : m_owner(owner) {}

    bool PromptKernel(CKernelDialogValues& values) override;

    // For the window tests: called on the dialog once its modal loop runs; closing it ends the prompt.
    std::function<void(CSetCore&)> onShown;

private:
    QPointer<QWidget> m_owner;
};

} // namespace doc
