#include "view3d/qt/glLight.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <qopengl.h>

namespace gl {

namespace {

// Pages are laid out in dialog units of their font: a quarter of the average character width across,
// an eighth of the line height down.
QSize DialogUnits(const QWidget* page, int x, int y) {
    const QFontMetrics metrics(page->font());
    return QSize(x * metrics.averageCharWidth() / 4, y * metrics.height() / 8);
}

QFrame* Preview(QWidget* page) {
    auto* frame = new QFrame(page);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setMinimumSize(DialogUnits(page, 60, 40));
    return frame;
}

QFrame* ColorSample(QWidget* page, const float rgb[4]) {
    auto* sample = new QFrame(page);
    sample->setFrameStyle(QFrame::Box | QFrame::Plain);
    sample->setAutoFillBackground(true);
    QPalette palette = sample->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(rgb[0], rgb[1], rgb[2]));
    sample->setPalette(palette);
    sample->setMinimumSize(DialogUnits(page, 20, 12));
    return sample;
}

QSlider* Slider(QWidget* page) {
    return new QSlider(Qt::Horizontal, page);
}

// Pages of one sheet share a size. They only show what the editor would offer: nothing can be used.
void FinishPage(QWidget* page) {
    page->setMinimumSize(DialogUnits(page, 235, 156));
    for (QWidget* child : page->findChildren<QWidget*>())
        child->setEnabled(false);
}

} // namespace

CLight::CLight(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Light"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Number"), this), 0, 0);
    grid->addWidget(new QSpinBox(this), 0, 1);
    grid->addWidget(new QCheckBox(QStringLiteral("On"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Intensity"), this), 1, 0);
    grid->addWidget(Slider(this), 1, 1, 1, 2);
    grid->addWidget(new QPushButton(QStringLiteral("Change color"), this), 2, 0);
    grid->addWidget(ColorSample(this, kDiffuse), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Horizontal angle"), this), 3, 0);
    grid->addWidget(new QSpinBox(this), 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Vertical angle"), this), 4, 0);
    grid->addWidget(new QSpinBox(this), 4, 1);
    auto* previews = new QHBoxLayout;
    previews->addWidget(Preview(this));
    previews->addWidget(Preview(this));
    grid->addLayout(previews, 5, 0, 1, 3);
    grid->addWidget(new QCheckBox(QStringLiteral("Lock position"), this), 6, 0, 1, 3);
    FinishPage(this);
}

void CLight::Apply() {
    glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, kPosition);
}

CMaterial::CMaterial(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Material"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(Preview(this), 0, 0, 6, 1);
    const char* const sliders[] = {"Ambient color",   "Diffuse color", "Specular color",
                                   "Emmission color", "Shininess",     "Transparency"};
    int row = 0;
    for (const char* text : sliders) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), this), row, 1);
        grid->addWidget(Slider(this), row++, 2);
    }
    grid->addWidget(new QPushButton(QStringLiteral("Change color"), this), row, 1);
    grid->addWidget(ColorSample(this, kDiffuse), row, 2);
    FinishPage(this);
}

void CMaterial::Apply() {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, kShininess);
}

} // namespace gl
