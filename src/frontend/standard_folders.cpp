#include "frontend/standard_folders.h"

#include <QStandardPaths>

UserFolders standardUserFolders() {
    // AppConfigLocation of the application "kolvira", whichever front end asks: the window and
    // kolvira-cli share one configuration folder, whatever their executables are called.
    const QString configuration =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/kolvira");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return {configuration.toStdString(), documents.toStdString()};
}

ProgramPaths programPaths() {
    return ProgramPaths::forProgramFolder(ProgramPaths::executableFolder(), standardUserFolders);
}
