#pragma once

#include <string>

#include "base/desktop_shell.h"
#include "base/message_boxes.h"
#include "base/program_paths.h"

// The update business left when the window closes. Both look only at whether a download runs
// (the worker's flag: set from the user's yes until the download completed, and left set by
// one that broke off) and at the update record; neither talks to the worker.

// Whether the window may close: while a download runs, the user decides.
bool closeAllowed(bool downloading, MessageBoxes& boxes);

// Once the close is allowed: offers to start an installer that was downloaded completely. The
// record and the installer stay; a later start clears them away once installed.
void offerInstallerAtClose(bool downloading, const ProgramPaths& paths, MessageBoxes& boxes,
                           DesktopShell& desktop);
