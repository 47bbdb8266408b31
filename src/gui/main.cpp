// Kolvira: the desktop program.
#include <QApplication>

#include "frontend/standard_folders.h"
#include "gui/main_window.h"
#include "gui/qt_seams.h"
#include "gui/qt_translation.h"
#include "gui/update_bridge.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The desktop finds the window's icon and name through the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("lt.kolvira.Kolvira"));
    installQtLithuanian(application);
    QtMessageBoxes boxes;
    QtFileDialog files;
    QtDesktopShell desktop;
    WindowServices services;
    services.boxes = &boxes;
    services.files = &files;
    services.desktop = &desktop;
    const ProgramPaths paths = programPaths();
    services.startUpdateCheck = [&paths](UpdateBridge& bridge, const std::string& version) {
        bridge.start(UpdateConfig::fromEnvironment(), paths, version);
    };
    MainWindow window(paths, services);
    boxes.setParent(&window);
    files.setParent(&window);
    window.show();
    return application.exec();
}
