#pragma once

#include <string>

#include "import/error_list.h"
#include "import/generation_run.h"
#include "import/row_store.h"
#include "import/run_host.h"
#include "import/workbook_connection.h"
#include "shell/profile_file.h"

// A failure inside a run that is not the workbook's fault (a settings file or output folder
// that cannot be written, a result beyond what an i.SAF file may hold): the run shows its text
// as it stands, rather than blaming the workbook.
class RunFailure : public std::runtime_error {
  public:
    RunFailure(RunOutcome outcome, const std::string& message)
        : std::runtime_error(message), outcome_(outcome) {}
    RunOutcome outcome() const { return outcome_; }

  private:
    RunOutcome outcome_;
};

// The automatic counterpart counter: numbers for counterparts without a usable code. It is
// loaded from "auto_id" when a run starts, and every number issued is written back at once,
// so numbers issued in a run that ends with errors stay used.
class CounterpartCounter {
  public:
    explicit CounterpartCounter(const ProfileFile& settings);

    // The next number, already stored in the settings file. Throws RunFailure.
    std::string issue();

    const std::string& current() const { return current_; }

  private:
    const ProfileFile& settings_;
    std::string current_;
};

// What the sheet readers reach through the run.
struct RunContext {
    const RunInputs& inputs;
    RunHost& host;
    WorkbookConnection& workbook;
    InvoiceRowStore& store;
    ErrorList& errors;
    CounterpartCounter& counter;
};
