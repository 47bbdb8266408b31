#pragma once

#include "cli/cli_options.h"

// A fault of the program itself: EX_SOFTWARE of sysexits.h, far from the codes that tell the
// user what to fix. A run and a check give it alike.
inline constexpr int kProgramFaultExit = 70;

// kolvira-cli --check FILE.xml: checks any i.SAF 1.2 file. In text form the findings and the
// verdict go to stderr, one per line, and the summary table to stdout; in JSON form one object
// goes to stdout. Exit code: 0 nothing found, 1 schema or logical errors, 6 warnings only,
// 3 not an i.SAF file or not XML, 2 no such file, 70 the check could not finish (a program
// fault, such as memory running out).
int runCheckCommand(const CliOptions& options);
