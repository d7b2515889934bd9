#include "framework/fwMessage.h"

#include <cstdio>

#include "framework/fwText.h"

namespace fw {

namespace {
CStderrMessages g_stderrMessages;
IMessageService* g_service = nullptr;

MsgAnswer FirstButton(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::Yes;
    case MsgButtons::ReplaceSaveAsCancel:
        return MsgAnswer::No; // never replaces a file unasked
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        break;
    }
    return MsgAnswer::Ok;
}
} // namespace

IMessageService& Messages() {
    return g_service ? *g_service : g_stderrMessages;
}

IMessageService* SetMessageService(IMessageService* service) {
    IMessageService* previous = g_service;
    g_service = service;
    return previous;
}

MsgAnswer CStderrMessages::Show(const std::wstring& text, MsgButtons buttons, MsgIcon, const std::wstring&) {
    const std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return FirstButton(buttons);
}

MsgAnswer CMessageRecorder::Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                                 const std::wstring& title) {
    boxes.push_back(Box{text, buttons, icon, title});
    if (!answers.empty()) {
        MsgAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    return FirstButton(buttons);
}

std::vector<std::wstring> CMessageRecorder::Texts() const {
    std::vector<std::wstring> texts;
    for (const Box& box : boxes)
        texts.push_back(box.text);
    return texts;
}

} // namespace fw
