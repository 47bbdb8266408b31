#pragma once

#include <functional>
#include <string>

#include "import/row_store.h"
#include "import/run_host.h"
#include "import/workbook_connection.h"
#include "shell/profile_file.h"

// How a generation run ended; the command line turns it into its exit code.
enum class RunOutcome {
    MissingWorkplace,
    MissingPayer,
    MissingWorkbook,
    BadPeriod,
    UnreadableWorkbook,
    SettingsNotWritable,
    OutputNotWritable,
    BeyondSchemaCaps,
    BadlyFilledCells,
    NoRows,
    Saved,
    CounterCannotGoOn,  // the automatic counterpart counter stored in the settings cannot go on
    ProgramFault,       // a fault of the program itself, not of the workbook or a file
};

struct RunResult {
    RunOutcome outcome = RunOutcome::NoRows;
    std::string savedPath;  // when saved
};

// Builds and saves the i.SAF file from a filled row store; returns the saved file's path.
using Exporter = std::function<std::string(const InvoiceRowStore&, const RunInputs&, RunHost&)>;

// One generation run, from the press of the generate button until the front end is ready
// again: the checks of the inputs, the twelve sheets read into a fresh row store, then the
// error list, the message that the workbook holds no rows, or the i.SAF file.
RunResult runGeneration(RunHost& host, const ProfileFile& settings, const WorkbookOpener& open,
                        const Exporter& exporter);

// The same with the real workbook connection and the real i.SAF writer.
RunResult runGeneration(RunHost& host, const ProfileFile& settings);

// The checks of the run's inputs, shared with the front ends that want to test them early.
bool isValidWorkplaceName(const std::string& name);
bool isValidPayerCode(const std::string& code);
bool isValidPeriod(const Period& period);
