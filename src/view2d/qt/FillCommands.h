#pragma once
// The "Colors fill" and brightness/contrast commands of an image window. The window embeds one for
// its model's converter and attenuator and routes these ids to it; it owns the window's custom-fill
// dialog. Redrawing (the image's texture and the height bar) is the window's.
#include <QObject>
#include <QPointer>
#include <functional>

#include "framework/fwCommand.h"
#include "view2d/CustomFill.h"

class QMenu;
class QWidget;

namespace fw {
class CCommandTable;
}

namespace color {

class CAttenuator;
class CConverter;
class CDlgFill;

enum FillCommand : int {
    ID_FILL_POSITIVE = 32784,
    ID_FILL_NEGATIVE = 32785,
    ID_FILL_GRAY = 32797,
    ID_FILL_AMBER = 32786,
    ID_FILL_MARINE = 32803,
    ID_FILL_FOREST = 32800,
    ID_FILL_CUSTOM = 32789,
    ID_FILL_POPUP = 32898, // the tool bar's drop-down of menu 257
    ID_CONTRAST_UP = 32773,
    ID_CONTRAST_DOWN = 32775,
    ID_BRIGHTNESS_UP = 32776,
    ID_BRIGHTNESS_DOWN = 32777,
};

// The "Color Fill" drop-down.
constexpr int IDR_COLOR_FILL = 257;

// Adds the commands above with their menu texts, prompts and tooltips.
void RegisterFillCommands(fw::CCommandTable& commands);
// Menu 257, "Color Fill": the Gray, Amber, Marine and Forest fillings of the table, whose marks are
// brought up to date whenever it shows.
QMenu* CreateColorFillMenu(fw::CCommandTable& commands, QWidget* parent);

class CFillCommands : public QObject, public fw::ICmdTarget {
    Q_OBJECT
public:
    // The converter, attenuator and table outlive this; the dialog and the drop-down are the
    // window's children.
    CFillCommands(CConverter& converter, CAttenuator& attenuator, fw::CCommandTable& commands,
                  QWidget& window, std::function<void()> redraw);
    ~CFillCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    const CConverter& Converter() const { return m_converter; }
    const CAttenuator& Attenuator() const { return m_attenuator; }
    // The window's custom colours, which its converter builds the custom fill from.
    const CCustomFill& CustomFill() const;
    CDlgFill& Dialog() const;
    // The drop-down of the tool bar button, once it has been asked for.
    QMenu* ColorFillMenu() const;

private:
    void SetType(unsigned type);
    void Redraw();
    void OpenCustomDialog();
    void OnDialogOpened();
    void OnDialogFinished(int result);
    void PopUpColorFill();

    CConverter& m_converter;
    CAttenuator& m_attenuator;
    fw::CCommandTable& m_commands;
    QWidget& m_window;
    std::function<void()> m_redraw;
    QPointer<CDlgFill> m_pDialog;
    QPointer<QMenu> m_pMenu;
    unsigned m_typeBeforeDialog = 0;
    bool m_bDialogOpen = false;
};

} // namespace color
