#pragma once
// The message service: every box the core shows goes through it, so that the window layer can show
// it, the command-line tool can print it and tests can record it.
#include <string>
#include <vector>

namespace fw {

enum class MsgIcon { None, Exclamation, Information, Question, Stop };
// ReplaceSaveAsCancel: "Replace" answers Yes, "Save As..." No (the default, and the answer of a box
// nobody sees), "Cancel" Cancel.
enum class MsgButtons { Ok, YesNo, YesNoCancel, OkCancel, ReplaceSaveAsCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class IMessageService {
public:
    virtual ~IMessageService() = default;
    // An empty title is the program's name, which every box bears unless it has a title of its own.
    virtual MsgAnswer Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                           const std::wstring& title) = 0;
};

// The service in force; never null (a service writing to standard error stands in by default).
IMessageService& Messages();
// Installs a service (null restores the default) and returns the previous one.
IMessageService* SetMessageService(IMessageService* service);

inline MsgAnswer MessageBox(const std::wstring& text, MsgButtons buttons = MsgButtons::Ok,
                            MsgIcon icon = MsgIcon::None, const std::wstring& title = std::wstring()) {
    return Messages().Show(text, buttons, icon, title);
}

// Writes every box's text to standard error as UTF-8, one text a box; answers with the first button.
class CStderrMessages : public IMessageService {
public:
    MsgAnswer Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::wstring& title) override;
};

// Keeps every box for tests; answers with a queue of prepared answers, then with the first button.
class CMessageRecorder : public IMessageService {
public:
    struct Box {
        std::wstring text;
        MsgButtons buttons;
        MsgIcon icon;
        std::wstring title;
    };
    std::vector<Box> boxes;
    std::vector<MsgAnswer> answers;

    MsgAnswer Show(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::wstring& title) override;
    std::vector<std::wstring> Texts() const;
};

// Installs a service for the lifetime of a scope.
class CScopedMessages {
public:
    explicit CScopedMessages(IMessageService& service) : m_previous(SetMessageService(&service)) {}
    ~CScopedMessages() { SetMessageService(m_previous); }
    CScopedMessages(const CScopedMessages&) = delete;
    CScopedMessages& operator=(const CScopedMessages&) = delete;

private:
    IMessageService* m_previous;
};

} // namespace fw
