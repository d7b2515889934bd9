#pragma once
// A small child window that draws itself with OpenGL (the colour bar is one), with a 2D projection of
// its client rectangle.
#include <QOpenGLWidget>
#include <QSurfaceFormat>

namespace gl {

class CglCtrl : public QOpenGLWidget {
    Q_OBJECT
public:
    // A control may bring its own format (the colour bar's is RgbFormat()); otherwise the standard one.
    explicit CglCtrl(QWidget* parent = nullptr, const QSurfaceFormat* format = nullptr);
    ~CglCtrl() override;

    // Every paint: clears the colour buffer and flushes.
    virtual void DrawScene();
    // On the first paint, after the projection: the clear colour (0.75 grey).
    virtual void InitGL();
    // Takes the format for the context, which comes when the control is first shown; false once the
    // context exists.
    virtual bool CreateContext(const QSurfaceFormat* format = nullptr);

    bool IsInitialized() const { return m_bInitialized; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    QSurfaceFormat m_format;
    bool m_bInitialized = false;
};

} // namespace gl
