#pragma once
// The "Options" sheet of the image windows and its first page: "2D View" for the 2D window, "Bump View"
// for the relief. The page shows the window's options (m2D::CProperties, which the view reads at every
// draw), marks what the user changed against them (the change bits) and applies only that, in a fixed
// order, when the sheet is confirmed or "Apply" is pressed.
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialog;
class QSpinBox;

namespace m2D {

class CPlaneView;
class CProperties;

class COptionsPage : public QWidget {
    Q_OBJECT
public:
    enum Kind { k2D, kBump };
    COptionsPage(CPlaneView& view, Kind kind, QWidget* parent = nullptr);

    // The width and height scales as whole percentages, "250 %" in their edits.
    QSpinBox* WidthSpin() const { return m_width; }
    QSpinBox* HeightSpin() const { return m_height; }
    QCheckBox* LockAspect() const { return m_lock; }
    QCheckBox* DragDrop() const { return m_dragDrop; }
    QCheckBox* Rulers() const { return m_rulers; }
    QComboBox* RulerOrigin() const { return m_rulerOrigin; }
    QCheckBox* HeightBar() const { return m_heightBar; } // null on the bump page
    QComboBox* BarOrigin() const { return m_barOrigin; } // null on the bump page
    QCheckBox* Smoothing() const { return m_smoothing; }
    QCheckBox* PlaneGrid() const { return m_grid; }

    // Whether any change bit is set.
    bool IsModified() const;
    // Applies what changed, in order: scales, height bar, ruler origin, rulers, drag-and-drop scaling,
    // smoothing, bar origin; then the frame is fitted and redrawn, and the change bits cleared.
    void Apply();
    // Forgets the changes (the sheet was cancelled).
    void Discard();

private:
    // Compares every control with the stored options and sets or clears its change bit.
    void UpdateBits();
    void Enable();
    void SetBit(int byte, unsigned bit, bool on);
    CProperties& Props() const;

    CPlaneView& m_view;
    Kind m_kind;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QCheckBox* m_lock = nullptr;
    QCheckBox* m_dragDrop = nullptr;
    QCheckBox* m_rulers = nullptr;
    QComboBox* m_rulerOrigin = nullptr;
    QCheckBox* m_heightBar = nullptr;
    QComboBox* m_barOrigin = nullptr;
    QCheckBox* m_smoothing = nullptr;
    QCheckBox* m_grid = nullptr;
};

// The modal sheet titled "Options": the view's page, and for the relief the "Light" and "Material" pages;
// OK applies and closes, "Apply" applies, Cancel closes. Made for the caller, not shown.
std::unique_ptr<QDialog> MakeOptionsSheet(CPlaneView& view, COptionsPage::Kind kind);

} // namespace m2D
