#pragma once
// The command table: one QAction per command id, shared by menus, tool bars and shortcuts. Triggering
// an action routes its id; update handlers decide its enabled state and its mark.
#include <QList>
#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "framework/fwCommand.h"

class QAction;
class QKeySequence;
class QMenu;
class QWidget;

namespace fw {

// How a command looks before its update handler has spoken: a push, a toggle or a radio item.
enum class CmdStyle { Plain, Check, Radio };

// A command as a table of texts gives it: id, menu text and "prompt\ntooltip" (UTF-8), and its look.
struct CCommandText {
    int id;
    const char* text;
    const char* prompt;
    CmdStyle style;
};

class CCommandTable : public QObject {
    Q_OBJECT
public:
    // The targets a command goes to now, first to last.
    using Route = std::function<std::vector<ICmdTarget*>()>;

    explicit CCommandTable(QObject* parent = nullptr);
    ~CCommandTable() override;

    // Adds a command, or redefines one. menuText is the menu item ("&Open...\tCtrl+O": '&' marks the
    // mnemonic, the text after the tab is shown in the accelerator column); prompt is "status prompt\n
    // tooltip", either part may be missing; shortcuts are the keys that give the command.
    QAction* Add(int id, const QString& menuText, const QString& prompt = QString(),
                 const QList<QKeySequence>& shortcuts = {}, CmdStyle style = CmdStyle::Plain);
    // Adds each command of a table of texts, without keys.
    template <std::size_t N> void AddAll(const CCommandText (&table)[N]) {
        for (const CCommandText& c : table)
            Add(c.id, QString::fromUtf8(c.text), QString::fromUtf8(c.prompt), {}, c.style);
    }
    // The command's action, or null when the id is unknown.
    QAction* Action(int id) const;
    // The command id of an action of a table, or 0.
    static int CommandId(const QAction* action);

    void SetRoute(Route route);
    std::vector<ICmdTarget*> CurrentRoute() const;
    // Shortcuts work while the widget's window is active: every command, present and future, is
    // added to it.
    void AttachShortcuts(QWidget* window);

    // Routes the command to its handler; false when it is disabled or nobody handled it.
    bool Execute(int id);
    // Runs the update handler of the command and shows its answer on the action.
    void Update(int id);
    // Updates every command action among these (other actions are left alone).
    void Update(const QList<QAction*>& actions);
    // Updates the menu's commands whenever it is about to show, and those of its present submenus.
    void Track(QMenu* menu);
    // Updates the commands that carry shortcuts, whose state no menu refreshes before a key press.
    void UpdateShortcuts();

private:
    struct CEntry {
        QAction* action = nullptr;
        CmdStyle style = CmdStyle::Plain;
    };
    void Apply(CEntry& entry, const CCmdState& state);

    std::map<int, CEntry> m_commands;
    Route m_route;
    QWidget* m_pShortcutWindow = nullptr;
};

} // namespace fw
