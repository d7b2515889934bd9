// vantri: the application. `vantri [FILE...]` opens the files given, each in its 2D windows.
#include <QStringList>

#include "app/VantriApp.h"
#include "framework/qt/fwQtApp.h"

int main(int argc, char** argv) {
    fw::CQtApp qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantri"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantri"));
    QApplication::setOrganizationName(QStringLiteral("Ardwyn"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    mframe::CVantriApp app;
    if (!app.InitInstance(files))
        return 1;
    return qt.Run();
}
