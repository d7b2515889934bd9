// The surface viewer: the synthetic surface in a window, with the colour fills, brightness and
// contrast, rulers, copy and printing, to look at by hand.
#include "SurfaceWindow.h"
#include "framework/qt/fwQtApp.h"

int main(int argc, char** argv) {
    fw::CQtApp app(argc, argv);
    guitest::CSurfaceWindow window;
    window.show();
    return app.Run();
}
