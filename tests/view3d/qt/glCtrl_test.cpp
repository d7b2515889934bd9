// The OpenGL control, and the pages of the light and material.
#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>

#include "ViewKit.h"
#include "view3d/qt/glCtrl.h"
#include "view3d/qt/glLight.h"

namespace {

// Fills the square from (0, 0) to (10, 10) in client pixels.
class CSquareCtrl : public gl::CglCtrl {
public:
    using gl::CglCtrl::CglCtrl;
    int inits = 0;

    void InitGL() override {
        gl::CglCtrl::InitGL();
        ++inits;
    }
    void DrawScene() override {
        gl::CglCtrl::DrawScene();
        glColor3f(1.0f, 0.0f, 0.0f);
        glRecti(0, 0, 10, 10);
    }
};

TEST(glCtrl, FirstPaintSetsAPixelProjectionAndTheGreyClear) {
    CSquareCtrl ctrl;
    EXPECT_FALSE(ctrl.IsInitialized());
    viewtest::Show(ctrl, 40, 120);
    const QImage image = ctrl.grabFramebuffer();
    EXPECT_TRUE(ctrl.IsInitialized());
    EXPECT_TRUE(viewtest::Near(image.pixel(30, 60), 191, 191, 191));
    // Client pixels with the origin at the bottom left.
    EXPECT_TRUE(viewtest::Near(image.pixel(5, 114), 255, 0, 0));
    EXPECT_TRUE(viewtest::Near(image.pixel(12, 114), 191, 191, 191));
    EXPECT_TRUE(viewtest::Near(image.pixel(5, 5), 191, 191, 191));
    ctrl.grabFramebuffer();
    EXPECT_EQ(ctrl.inits, 1) << "once, on the first paint";
    EXPECT_FALSE(ctrl.CreateContext()) << "the format of a live context cannot change";
}

QStringList Texts(const QWidget& page) {
    QStringList texts;
    for (const QLabel* label : page.findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : page.findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

TEST(glLight, ThePagesShowTheEditorWithEveryControlDisabled) {
    gl::CLight light;
    gl::CMaterial material;
    EXPECT_EQ(light.windowTitle(), QStringLiteral("Light"));
    EXPECT_EQ(material.windowTitle(), QStringLiteral("Material"));
    const QStringList lightTexts = Texts(light), materialTexts = Texts(material);
    for (const char* text :
         {"Number", "On", "Intensity", "Change color", "Horizontal angle", "Vertical angle", "Lock position"})
        EXPECT_TRUE(lightTexts.contains(QString::fromLatin1(text))) << text;
    for (const char* text : {"Ambient color", "Diffuse color", "Specular color", "Emmission color",
                             "Shininess", "Transparency", "Change color"})
        EXPECT_TRUE(materialTexts.contains(QString::fromLatin1(text))) << text;
    EXPECT_EQ(material.findChildren<QSlider*>().size(), 6);
    for (const QWidget* page : {static_cast<QWidget*>(&light), static_cast<QWidget*>(&material)})
        for (const QWidget* control : page->findChildren<QWidget*>())
            EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
}

} // namespace
