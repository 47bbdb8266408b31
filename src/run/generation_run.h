#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/profile_file.h"
#include "base/progress.h"
#include "invoices/book_warnings.h"
#include "invoices/error_list.h"
#include "invoices/invoice_book.h"
#include "run/run_front_end.h"
#include "workbook/workbook_connection.h"

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
    Cancelled,
    CounterCannotGoOn,  // the automatic counterpart counter stored in the settings cannot go on
    ProgramFault,       // a fault of the program itself, not of the workbook or a file
};

struct RunResult {
    RunOutcome outcome = RunOutcome::NoRows;
    std::string savedPath;  // when saved
    // Badly filled cells: the error list's entries, as shown.
    std::vector<CellRemark> errors;
    // Saved: what the warnings found, as shown after the saved message.
    WarningList warnings;
};

// A failure inside a run that is not the workbook's fault (a settings file that cannot be
// written): the run shows its text as it stands, rather than blaming the workbook.
class RunFailure : public std::runtime_error {
  public:
    RunFailure(RunOutcome outcome, const std::string& message)
        : std::runtime_error(message), outcome_(outcome) {}
    RunOutcome outcome() const { return outcome_; }

  private:
    RunOutcome outcome_;
};

// Thrown out of a front end's Progress (processEvents, keepResponsive) when the user stops the
// run, as the window does when it is closed during a run: the run ends where it is and says
// nothing. No file is half written: the i.SAF file replaces the old one only when it is whole.
class RunCancelled : public std::exception {};

// Builds and saves the i.SAF file from a filled invoice book; returns the saved file's path.
using Exporter = std::function<std::string(const InvoiceBook&, const RunInputs&, Progress&)>;

// The real i.SAF writer, saving into the inputs' output folder.
std::string exportIsafFile(const InvoiceBook& book, const RunInputs& inputs, Progress& progress);

// How a fault of the program itself is told, never blamed on the workbook: this, then what
// failed. Front ends say the same of faults outside a run.
inline constexpr std::string_view kProgramFault = "Programos klaida: ";

// One generation run, from the press of the generate button until the front end is ready
// again: the checks of the inputs, the twelve sheets read into a fresh invoice book, then the
// error list, the message that the workbook holds no rows, or the i.SAF file and, after the
// saved message, the warnings about its invoices. The front end shows itself busy around the
// call.
RunResult runGeneration(const RunInputs& inputs, RunPrompts& prompts, Progress& progress,
                        const ProfileFile& settings, const WorkbookOpener& open,
                        const Exporter& exporter);

// The same with the real workbook connection and the real i.SAF writer.
RunResult runGeneration(const RunInputs& inputs, RunPrompts& prompts, Progress& progress,
                        const ProfileFile& settings);

// The checks of the run's inputs, shared with the front ends that want to test them early.
bool isValidWorkplaceName(const std::string& name);
bool isValidPayerCode(const std::string& code);
bool isValidPeriod(const Period& period);
