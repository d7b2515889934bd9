// The frame of the benchmarks that need an OpenGL context: a Qt application (off-screen when there
// is no display) and a compatibility-profile context current on an off-screen surface for the body.
// Qt's off-screen platform has no OpenGL with Mesa, so without a display they run under xvfb-run -a.
#pragma once

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <qopengl.h>

#include <iostream>

#include "BenchCommon.h"

namespace bench {

// bench::Main with body run in a current context; an error when none can be made.
inline int GLMain(int argc, char** argv, const char* program, const std::function<int()>& body) {
    // Without a display the window system would not start at all; off-screen it starts and says
    // whether it has OpenGL.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return Main(argc, argv, program, [&] {
        QSurfaceFormat format;
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        QOffscreenSurface surface;
        surface.setFormat(format);
        surface.create();
        QOpenGLContext context;
        context.setFormat(format);
        if (!context.create() || !context.makeCurrent(&surface)) {
            std::cerr << program << ": no OpenGL context; without a display run it under xvfb-run -a\n";
            return 1;
        }
        std::cout << "OpenGL: " << reinterpret_cast<const char*>(glGetString(GL_RENDERER)) << ", "
                  << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << "\n";
        const int status = body();
        context.doneCurrent();
        return status;
    });
}

} // namespace bench
