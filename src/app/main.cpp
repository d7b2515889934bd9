// vantri: the application. `vantri [FILE...]` opens the files given, each in its 2D windows.
#include <string>
#include <vector>

#include "app/VantriApp.h"
#include "framework/fwText.h"
#include "framework/qt/fwQtApp.h"

int main(int argc, char** argv) {
    fw::CQtApp qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantri"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantri"));
    QApplication::setOrganizationName(QStringLiteral("Ardwyn"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // The arguments' own bytes, left after Qt took its options: a file name that is not UTF-8 does not
    // survive QApplication::arguments().
    std::vector<std::wstring> files;
    for (int k = 1; k < argc; ++k)
        files.push_back(fw::FromUtf8(argv[k]));
    mframe::CVantriApp app;
    if (!app.InitInstance(files))
        return 1;
    return qt.Run();
}
