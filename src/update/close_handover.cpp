#include "update/close_handover.h"

#include "base/kept_file.h"
#include "update/update_record.h"
#include "update/update_worker.h"

bool closeAllowed(bool downloading, MessageBoxes& boxes) {
    if (!downloading) {
        return true;
    }
    return boxes.show(MessageKind::Confirmation,
                      "Atnaujinimas dar nepasibaigė.\r\nAr tikrai norite išeiti iš programos?") !=
           Answer::No;
}

void offerInstallerAtClose(bool downloading, const ProgramPaths& paths, MessageBoxes& boxes,
                           DesktopShell& desktop) {
    // The installed program is updated by the package manager, never by an installer of ours.
    // A download still running is abandoned with the program.
    if (!paths.updatesEnabled() || downloading || !fileExists(paths.updateRecord())) {
        return;
    }
    // A record that cannot be used lets the window close without a word.
    const auto record = readUpdateRecord(paths.updateRecord());
    if (!record || !isPlainFileName(record->fileName) || !isInstallerFileName(record->fileName)) {
        return;
    }
    const std::string installer = paths.directory() + record->fileName;
    if (!isCompleteInstaller(*record, installer)) {
        return;
    }
    // Unlike the worker, no comparison with the program's version: a complete installer is
    // offered for as long as its record exists.
    if (boxes.showTitled(MessageKind::Confirmation, std::string(kInstallQuestion),
                         "Programos atnaujinimas iki " + record->version + " versijos") ==
        Answer::Yes) {
        desktop.open(installer);
    }
}
