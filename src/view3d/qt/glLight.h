#pragma once
// The fixed light and material of the 3D and bump scenes, with their "Light" and "Material" pages of the
// views' options. The pages show the controls of a light and material editor, all disabled: the light
// and material cannot be changed.
#include <QWidget>

namespace gl {

class CLight : public QWidget {
    Q_OBJECT
public:
    static constexpr float kAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    static constexpr float kDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static constexpr float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // w = 0: a directional light, from the upper left front.
    static constexpr float kPosition[4] = {-1.0f, 1.0f, 1.0f, 0.0f};

    explicit CLight(QWidget* parent = nullptr);

    // Sets light 0 of the current context.
    static void Apply();
};

class CMaterial : public QWidget {
    Q_OBJECT
public:
    static constexpr float kDiffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
    static constexpr float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static constexpr float kShininess = 100.0f;

    explicit CMaterial(QWidget* parent = nullptr);

    // Sets the front material of the current context.
    static void Apply();
};

} // namespace gl
