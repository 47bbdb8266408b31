// kolvira-cli: the generation run without the window, for scripts and batch work.
#include <QLocale>

#include <iostream>

#include "base/desktop_shell.h"
#include "base/kept_file.h"
#include "base/program_settings.h"
#include "cli/check_command.h"
#include "cli/cli_options.h"
#include "cli/json_report.h"
#include "frontend/locale_settings.h"
#include "frontend/standard_folders.h"
#include "isaf/summary.h"
#include "payers/payer_register.h"
#include "run/generation_run.h"

namespace {

// Messages use LF CR and CR LF pairs as the window's boxes do; a terminal wants plain newlines.
std::string plainLines(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '\n' || c == '\r') && i + 1 < text.size() &&
            (text[i + 1] == '\n' || text[i + 1] == '\r') && text[i + 1] != c) {
            ++i;  // one line break written as two characters
        }
        result += (c == '\r') ? '\n' : c;
    }
    return result;
}

// A terminal opens nothing; the error list that follows says what to correct.
class NoDesktop : public DesktopShell {
  public:
    bool open(const std::string&) override { return true; }
};

// The run's prompts on a terminal: messages and warnings on stderr, the saved path on stdout,
// and no one to answer a question. For a JSON report nothing is printed: the report says it
// all, the last message included.
class TerminalPrompts : public RunPrompts {
  public:
    explicit TerminalPrompts(bool quiet) : quiet_(quiet) {}

    Answer showMessage(MessageKind kind, const std::string& text) override {
        lastMessage = plainLines(text);
        if (!quiet_) {
            std::cerr << *lastMessage << '\n';
        }
        return kind == MessageKind::Confirmation ? Answer::No : Answer::Ok;
    }
    void showSaved(const std::string& path) override {
        if (!quiet_) {
            std::cout << path << '\n';
        }
    }
    void showWarnings(const WarningList& warnings) override {
        if (!quiet_) {
            std::cerr << warnings.text() << '\n';
        }
    }
    void markWorkplaceMissing() override {}
    void editPayer() override {}
    void newPayer() override {}
    DesktopShell& desktop() override { return desktop_; }

    std::optional<std::string> lastMessage;

  private:
    bool quiet_;
    NoDesktop desktop_;
};

std::optional<Date> parseDate(const std::string& text) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) {
        return std::nullopt;
    }
    return Date::make(y, m, d);
}

int exitCodeOf(const RunResult& result, bool strict) {
    const RunOutcome outcome = result.outcome;
    switch (outcome) {
        case RunOutcome::Saved:
            return strict && !result.warnings.empty() ? 6 : 0;
        case RunOutcome::BadlyFilledCells:
            return 1;
        case RunOutcome::MissingWorkplace:
        case RunOutcome::MissingPayer:
        case RunOutcome::MissingWorkbook:
        case RunOutcome::BadPeriod:
        case RunOutcome::BeyondSchemaCaps:
        case RunOutcome::CounterCannotGoOn:
            return 2;
        case RunOutcome::UnreadableWorkbook:
            return 3;
        case RunOutcome::NoRows:
            return 4;
        case RunOutcome::SettingsNotWritable:
        case RunOutcome::OutputNotWritable:
            return 5;
        case RunOutcome::Cancelled:
            return 130;  // only the window stops a run; an interrupt, as a shell reports one
        case RunOutcome::ProgramFault:
            return kProgramFaultExit;
    }
    return kProgramFaultExit;
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The company code of the payer at the stored position of the register, as the window
// selects it at start-up. A register that cannot be read says why, and gives no code.
std::string storedPayerCode(const ProgramPaths& paths, const ProgramSettings& settings) {
    const int position = settings.payerPosition();
    const auto lines = PayerRegister(paths.payerRegister()).load();
    if (!lines.ok()) {
        std::cerr << lines.message() << '\n';
    }
    if (!lines.ok() || position < 0 || static_cast<size_t>(position) >= lines->size()) {
        return {};
    }
    return Payer::parse((*lines)[static_cast<size_t>(position)]).companyCode;
}

int runCommand(int argc, char** argv) {
    const auto options = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.ok()) {
        std::cerr << options.message() << "\n\n" << kCliUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kCliUsage;
        return 0;
    }
    if (options->check) {
        return runCheckCommand(*options);
    }

    const ProgramPaths paths = programPaths();
    const ProgramSettings settings(paths);
    // Every default below comes from the settings: a file that cannot be read (a FIFO, a
    // device, no permission) stops the run rather than letting it go on as if it were empty.
    if (const Status readable = settings.file().readable(); !readable.ok()) {
        std::cerr << readable.message() << '\n';
        return 5;
    }

    RunInputs inputs;
    inputs.workplaceName = options->workplace.value_or(settings.workplace());
    inputs.payerCode = options->payerCode ? *options->payerCode : storedPayerCode(paths, settings);
    inputs.payerCount = 0;
    inputs.workbookPath = options->workbook;
    inputs.workbookFileName = fileNameOf(options->workbook);
    inputs.programVersion = settings.programVersion();
    inputs.regional = regionalSettingsFrom(
        options->locale ? QLocale(QString::fromStdString(*options->locale)) : QLocale::system());
    inputs.today = localToday();
    inputs.period = previousMonth(inputs.today);
    const bool json = options->format == "json";
    // A run that ends before it starts: its message, as text or as the report.
    const auto refuse = [&](RunOutcome outcome, const std::string& message) {
        if (json) {
            RunResult result;
            result.outcome = outcome;
            std::cout << jsonText(runReportJson(result, options->workbook, message, {})) << '\n';
        } else {
            std::cerr << message << '\n';
        }
        return 2;
    };
    if (options->from || options->to) {
        const auto from = options->from ? parseDate(*options->from) : inputs.period.from;
        const auto to = options->to ? parseDate(*options->to) : inputs.period.to;
        if (!from || !to) {
            return refuse(RunOutcome::BadPeriod, "Neteisingas laikotarpis.");
        }
        inputs.period = {*from, *to};
    }

    inputs.outputFolder = options->outputDir.value_or(paths.outputFolder());
    TerminalPrompts prompts(json);
    SilentProgress progress;
    std::optional<IsafSummary> summary;
    const Exporter exporter = [&](const InvoiceBook& book, const RunInputs& in, Progress& p) {
        std::string saved = exportIsafFile(book, in, p);
        if (options->summary || json) {
            summary = summarize(book);
        }
        return saved;
    };
    const RunResult result =
        runGeneration(inputs, prompts, progress, settings.file(), openWorkbook, exporter);
    if (json) {
        // The error list and the saved message are in the report as data.
        const bool ownMessage =
            result.outcome != RunOutcome::Saved && result.outcome != RunOutcome::BadlyFilledCells;
        std::cout << jsonText(runReportJson(result, options->workbook,
                                            ownMessage ? prompts.lastMessage : std::nullopt,
                                            summary))
                  << '\n';
    } else if (summary) {
        std::cout << '\n' << formatSummary(*summary);
    }
    return exitCodeOf(result, options->strict);
}

}  // namespace

// A fault outside a run (memory running out while the command line or a report is handled)
// ends like one inside it: said, and told apart by its exit code.
int main(int argc, char** argv) {
    try {
        return runCommand(argc, argv);
    } catch (const std::exception& fault) {
        std::cerr << kProgramFault << fault.what() << '\n';
    } catch (...) {
        std::cerr << kProgramFault << "nežinoma išimtis\n";
    }
    return kProgramFaultExit;
}
