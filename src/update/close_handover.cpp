#include "update/close_handover.h"

#include "shell/atomic_file.h"
#include "update/U_srautas.h"
#include "update/update_record.h"

bool FormCloseQuery(const std::string& statusText, MessageBoxes& boxes) {
    if (statusText.empty()) {
        return true;
    }
    return boxes.show(MessageKind::Confirmation,
                      "Atnaujinimas dar nepasibaigė.\r\nAr tikrai norite išeiti iš programos?") !=
           kAnswerNo;
}

void FormClose(const std::string& statusText, const AppPaths& paths, MessageBoxes& boxes,
               DesktopShell& desktop) {
    // A download still running is abandoned with the program.
    if (!statusText.empty() || !fileExists(paths.updateRecord())) {
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
        kAnswerYes) {
        desktop.open(installer);
    }
}
