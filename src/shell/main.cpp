// Kolvira: the desktop program.
#include <QApplication>

#include "shell/F_export_xml.h"
#include "shell/F_seams.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QtMessageBoxes boxes;
    QtFileDialog files;
    QtDesktopShell desktop;
    WindowServices services;
    services.boxes = &boxes;
    services.files = &files;
    services.desktop = &desktop;
    Tfrm_export_xml window(AppPaths::ofExecutable(), services);
    boxes.setParent(&window);
    files.setParent(&window);
    window.show();
    return application.exec();
}
