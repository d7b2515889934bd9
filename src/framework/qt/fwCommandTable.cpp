#include "framework/qt/fwCommandTable.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QWidget>

namespace fw {

namespace {

const char kIdProperty[] = "fwCommandId";
const char kTrackedProperty[] = "fwCommandsTracked";

// What a tool button shows: the menu text without its accelerator column, mnemonics and ellipsis.
QString ButtonText(const QString& menuText) {
    const QString text = menuText.left(menuText.indexOf(u'\t'));
    QString plain;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') { // "&&" is a literal ampersand
            if (i + 1 < text.size())
                plain += text[++i];
            continue;
        }
        plain += text[i];
    }
    if (plain.endsWith(QLatin1String("...")))
        plain.chop(3);
    return plain.trimmed();
}

// A menu draws a radio dot only for an action of an exclusive group; a group of one, which allows
// unchecking, gives the look without tying commands together.
void SetRadioLook(QAction* action, bool radio) {
    QActionGroup* group = action->actionGroup();
    if (radio == (group != nullptr))
        return;
    if (radio) {
        group = new QActionGroup(action);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        action->setActionGroup(group);
    } else {
        action->setActionGroup(nullptr);
        delete group;
    }
}

} // namespace

CCommandTable::CCommandTable(QObject* parent) : QObject(parent) {}

CCommandTable::~CCommandTable() = default;

QAction* CCommandTable::Add(int id, const QString& menuText, const QString& prompt,
                            const QList<QKeySequence>& shortcuts, CmdStyle style) {
    CEntry& entry = m_commands[id];
    if (!entry.action) {
        entry.action = new QAction(this);
        entry.action->setProperty(kIdProperty, id);
        connect(entry.action, &QAction::triggered, this, [this, id] { Execute(id); });
        if (m_pShortcutWindow)
            m_pShortcutWindow->addAction(entry.action);
    }
    entry.style = style;
    QAction* action = entry.action;
    action->setText(menuText);
    action->setIconText(ButtonText(menuText));
    const int cut = prompt.indexOf(u'\n');
    action->setStatusTip(prompt.left(cut));
    action->setToolTip(cut < 0 ? QString() : prompt.mid(cut + 1));
    action->setShortcuts(shortcuts);
    action->setCheckable(style != CmdStyle::Plain);
    SetRadioLook(action, style == CmdStyle::Radio);
    return action;
}

QAction* CCommandTable::Action(int id) const {
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second.action;
}

int CCommandTable::CommandId(const QAction* action) {
    return action ? action->property(kIdProperty).toInt() : 0;
}

void CCommandTable::SetRoute(Route route) {
    m_route = std::move(route);
}

std::vector<ICmdTarget*> CCommandTable::CurrentRoute() const {
    return m_route ? m_route() : std::vector<ICmdTarget*>();
}

void CCommandTable::AttachShortcuts(QWidget* window) {
    m_pShortcutWindow = window;
    if (window)
        for (auto& [id, entry] : m_commands)
            window->addAction(entry.action);
}

bool CCommandTable::Execute(int id) {
    QPointer<CCommandTable> self(this);
    const bool handled = RouteCommand(CurrentRoute(), id);
    // Qt flips a checkable action on its own before the handler runs; show the handler's answer.
    if (self)
        Update(id);
    return handled;
}

void CCommandTable::Update(int id) {
    auto it = m_commands.find(id);
    if (it != m_commands.end())
        Apply(it->second, RouteUpdate(CurrentRoute(), id));
}

void CCommandTable::Update(const QList<QAction*>& actions) {
    std::vector<ICmdTarget*> route;
    bool routed = false;
    for (QAction* action : actions) {
        auto it = m_commands.find(CommandId(action));
        if (it == m_commands.end() || it->second.action != action)
            continue;
        if (!routed) {
            route = CurrentRoute();
            routed = true;
        }
        Apply(it->second, RouteUpdate(route, it->first));
    }
}

void CCommandTable::Track(QMenu* menu) {
    if (!menu)
        return;
    if (!menu->property(kTrackedProperty).toBool()) {
        menu->setProperty(kTrackedProperty, true);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { Update(menu->actions()); });
    }
    for (QAction* action : menu->actions())
        if (action->menu())
            Track(action->menu());
}

void CCommandTable::UpdateShortcuts() {
    QList<QAction*> keyed;
    for (auto& [id, entry] : m_commands)
        if (!entry.action->shortcuts().isEmpty())
            keyed.append(entry.action);
    Update(keyed);
}

void CCommandTable::Apply(CEntry& entry, const CCmdState& state) {
    QAction* action = entry.action;
    action->setEnabled(state.enabled);
    action->setCheckable(entry.style != CmdStyle::Plain || state.checked || state.radio);
    SetRadioLook(action, state.radio || entry.style == CmdStyle::Radio);
    action->setChecked(state.checked);
}

} // namespace fw
