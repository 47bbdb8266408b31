#pragma once

#include <string>

#include "base/desktop_shell.h"
#include "base/message_boxes.h"
#include "base/program_paths.h"

// The update business left when the window closes. Both look only at the status text (not
// empty while a download runs) and the update record; neither talks to the worker.

// Whether the window may close: while a download runs, the user decides.
bool FormCloseQuery(const std::string& statusText, MessageBoxes& boxes);

// Once the close is allowed: offers to start an installer that was downloaded completely. The
// record and the installer stay; a later start clears them away once installed.
void FormClose(const std::string& statusText, const ProgramPaths& paths, MessageBoxes& boxes,
               DesktopShell& desktop);
