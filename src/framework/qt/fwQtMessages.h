#pragma once
// The message service shown as message boxes, titled with the application's caption unless a box
// has a title of its own.
#include "framework/fwMessage.h"

namespace fw {

class CQtMessages : public IMessageService {
public:
    // A modal box over the active window; the first button is the default one.
    MsgAnswer Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::wstring& title) override;
};

} // namespace fw
