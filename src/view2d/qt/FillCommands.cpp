#include "view2d/qt/FillCommands.h"

#include <QCursor>
#include <QMenu>

#include "framework/qt/fwCommandTable.h"
#include "view2d/Attenuator.h"
#include "view2d/Converter.h"
#include "view2d/qt/DlgFill.h"

namespace color {

namespace {

struct CFillItem {
    int id;
    unsigned type;
};

constexpr CFillItem kFills[] = {{ID_FILL_GRAY, CConverter::kGray},
                                {ID_FILL_AMBER, CConverter::kAmber},
                                {ID_FILL_MARINE, CConverter::kMarine},
                                {ID_FILL_FOREST, CConverter::kForest},
                                {ID_FILL_CUSTOM, CConverter::kCustom}};

struct CStepItem {
    int id;
    bool (CAttenuator::*step)();
    bool (*enabled)(const CAttenuator&);
};

constexpr CStepItem kSteps[] = {{ID_CONTRAST_UP, &CAttenuator::ContrastUp, &CanContrastUp},
                                {ID_CONTRAST_DOWN, &CAttenuator::ContrastDown, &CanContrastDown},
                                {ID_BRIGHTNESS_UP, &CAttenuator::BrightnessUp, &CanBrightnessUp},
                                {ID_BRIGHTNESS_DOWN, &CAttenuator::BrightnessDown, &CanBrightnessDown}};

template <class Item, std::size_t N> const Item* Find(const Item (&items)[N], int id) {
    for (const Item& item : items)
        if (item.id == id)
            return &item;
    return nullptr;
}

} // namespace

void RegisterFillCommands(fw::CCommandTable& commands) {
    using fw::CmdStyle;
    // The tool bar's commands have no menu item; their buttons show the tooltip's words.
    static const fw::CCommandText kCommands[] = {
        {ID_FILL_POSITIVE, "Positive", "Filling image by positive half-tone colors\nPositive filling",
         CmdStyle::Radio},
        {ID_FILL_NEGATIVE, "Negative", "Filling image by negotive half-tone colors\nNegotive filling",
         CmdStyle::Radio},
        {ID_FILL_GRAY, "Gray filling", "Filling image by gray half-tone colors\nGray filling",
         CmdStyle::Radio},
        {ID_FILL_AMBER, "Amber filling", "Filling image by amber half-tone colors\nAmber filling",
         CmdStyle::Radio},
        {ID_FILL_MARINE, "Marine filling", "Filling image by marine colors\nMarine filling", CmdStyle::Radio},
        {ID_FILL_FOREST, "Forest filling", "Filling image by forest colors\nForest filling", CmdStyle::Radio},
        {ID_FILL_CUSTOM, "Custom filling ...",
         "Filling image by shades between any two colors\nCustom filling", CmdStyle::Radio},
        {ID_FILL_POPUP, "Color filling", "Color filling\nColor filling", CmdStyle::Plain},
        {ID_CONTRAST_UP, "Contrast up", "Increase image contrast\nContrast up", CmdStyle::Plain},
        {ID_CONTRAST_DOWN, "Contrast down", "Decrease image contrast\nContrast down", CmdStyle::Plain},
        {ID_BRIGHTNESS_UP, "Brightnees up", "Increase brightnees \nBrightnees up", CmdStyle::Plain},
        {ID_BRIGHTNESS_DOWN, "Brightnees down", "Decrease brightnees \nBrightnees down", CmdStyle::Plain},
    };
    commands.AddAll(kCommands);
}

QMenu* CreateColorFillMenu(fw::CCommandTable& commands, QWidget* parent) {
    auto* menu = new QMenu(QStringLiteral("Color Fill"), parent);
    for (int id : {ID_FILL_GRAY, ID_FILL_AMBER, ID_FILL_MARINE, ID_FILL_FOREST})
        if (QAction* action = commands.Action(id))
            menu->addAction(action);
    commands.Track(menu);
    return menu;
}

CFillCommands::CFillCommands(CConverter& converter, CAttenuator& attenuator, fw::CCommandTable& commands,
                             QWidget& window, std::function<void()> redraw)
    : m_converter(converter), m_attenuator(attenuator), m_commands(commands), m_window(window),
      m_redraw(std::move(redraw)), m_pDialog(new CDlgFill(&window)) {
    connect(m_pDialog, &CDlgFill::Opened, this, &CFillCommands::OnDialogOpened);
    connect(m_pDialog, &CDlgFill::FillChanged, this, [this] { SetType(CConverter::kCustom); });
    connect(m_pDialog, &QDialog::finished, this, &CFillCommands::OnDialogFinished);
}

CFillCommands::~CFillCommands() = default;

CDlgFill& CFillCommands::Dialog() const {
    return *m_pDialog;
}

QMenu* CFillCommands::ColorFillMenu() const {
    return m_pMenu;
}

const CCustomFill& CFillCommands::CustomFill() const {
    return m_pDialog->Fill();
}

bool CFillCommands::OnCommand(int id) {
    if (const CFillItem* fill = Find(kFills, id)) {
        if (fill->type == CConverter::kCustom)
            OpenCustomDialog();
        else
            SetType(fill->type);
        return true;
    }
    if (const CStepItem* step = Find(kSteps, id)) {
        if ((m_attenuator.*step->step)())
            Redraw();
        return true;
    }
    switch (id) {
    case ID_FILL_POSITIVE:
    case ID_FILL_NEGATIVE:
        m_converter.SetNegative(id == ID_FILL_NEGATIVE ? 1 : 0);
        Redraw();
        return true;
    case ID_FILL_POPUP:
        PopUpColorFill();
        return true;
    default:
        return false;
    }
}

bool CFillCommands::OnUpdateCommand(int id, fw::CCmdState& state) const {
    state = fw::CCmdState();
    if (const CFillItem* fill = Find(kFills, id)) {
        state.radio = true;
        state.checked = m_converter.Type() == fill->type;
        return true;
    }
    if (const CStepItem* step = Find(kSteps, id)) {
        state.enabled = step->enabled(m_attenuator);
        return true;
    }
    switch (id) {
    case ID_FILL_POSITIVE:
    case ID_FILL_NEGATIVE:
        state.radio = true;
        state.checked = m_converter.Negative() == (id == ID_FILL_NEGATIVE ? 1 : 0);
        return true;
    case ID_FILL_POPUP:
        return true;
    default:
        return false;
    }
}

void CFillCommands::SetType(unsigned type) {
    m_converter.SetType(type);
    Redraw();
}

void CFillCommands::Redraw() {
    if (m_redraw)
        m_redraw();
}

void CFillCommands::OpenCustomDialog() {
    if (m_pDialog->isVisible()) {
        m_pDialog->raise();
        m_pDialog->activateWindow();
        return;
    }
    // Modal like the chooser it extends, without a nested loop: the answer comes with finished().
    m_pDialog->setWindowModality(Qt::ApplicationModal);
    m_pDialog->show();
}

void CFillCommands::OnDialogOpened() {
    m_typeBeforeDialog = m_converter.Type();
    m_bDialogOpen = true;
}

void CFillCommands::OnDialogFinished(int result) {
    const bool wasOpen = m_bDialogOpen;
    m_bDialogOpen = false;
    if (wasOpen && result == QDialog::Rejected)
        SetType(m_typeBeforeDialog);
}

void CFillCommands::PopUpColorFill() {
    if (!m_pMenu)
        m_pMenu = CreateColorFillMenu(m_commands, &m_window);
    m_pMenu->popup(QCursor::pos());
}

} // namespace color
