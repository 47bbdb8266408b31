#pragma once

#include "base/program_paths.h"

// The user's configuration and documents folders as the desktop names them (XDG), from Qt's
// standard paths.
UserFolders standardUserFolders();

// The paths of this start of the program: installed or portable by where the executable lies
// (ProgramPaths::installedDataFolder), the user's folders from the desktop.
ProgramPaths programPaths();
