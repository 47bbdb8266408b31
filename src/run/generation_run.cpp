#include "run/generation_run.h"

#include <algorithm>
#include <future>
#include <new>
#include <string_view>

#include "base/desktop_shell.h"
#include "base/kept_file.h"
#include "invoices/sheet_readers.h"
#include "isaf/export_xml.h"
#include "run/counterpart_counter.h"

namespace {

RunResult ended(RunOutcome outcome) {
    RunResult result;
    result.outcome = outcome;
    return result;
}

bool allOf(const std::string& text, bool (*accept)(char)) {
    return std::all_of(text.begin(), text.end(), accept);
}

}  // namespace

// The i.SAF header takes the workplace name as PartNumber, [A-Z0-9_]{1,20}.
bool isValidWorkplaceName(const std::string& name) {
    return !name.empty() && name.size() <= 20 && allOf(name, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The header's RegistrationNumber is an unsigned number of at most 11 digits.
bool isValidPayerCode(const std::string& code) {
    return !code.empty() && code.size() <= 11 &&
           allOf(code, [](char c) { return c >= '0' && c <= '9'; });
}

// The bounds the i.SAF schema sets for the selection dates.
bool isValidPeriod(const Period& period) {
    return !(period.to < period.from) && !(period.from < Date{2016, 7, 1}) &&
           !(period.to < Date{2016, 9, 1}) && !(Date{2100, 1, 1} < period.to);
}

std::string exportIsafFile(const InvoiceBook& book, const RunInputs& inputs, Progress& progress) {
    const IsafFileInfo info{inputs.payerCode, inputs.workplaceName, inputs.period,
                            inputs.programVersion};
    return writeIsafFile(book, info, inputs.outputFolder, progress,
                         [] { return std::chrono::system_clock::now(); });
}

RunResult runGeneration(const RunInputs& inputs, RunPrompts& prompts, Progress& progress,
                        const ProfileFile& settings, const WorkbookOpener& open,
                        const Exporter& exporter) {
    if (!isValidWorkplaceName(inputs.workplaceName)) {
        prompts.showMessage(MessageKind::Error, "Įveskite savo darbo vietos pavadinimą.");
        prompts.markWorkplaceMissing();
        return ended(RunOutcome::MissingWorkplace);
    }
    if (!isValidPayerCode(inputs.payerCode)) {
        prompts.showMessage(MessageKind::Error, "Įveskite savo įmonės (asmens) kodą.");
        if (inputs.payerCount > 0) {
            prompts.editPayer();
        } else {
            prompts.newPayer();
        }
        return ended(RunOutcome::MissingPayer);
    }
    if (inputs.workbookPath.empty()) {
        prompts.showMessage(MessageKind::Error, "Dokumentas nepasirinktas");
        return ended(RunOutcome::MissingWorkbook);
    }
    // A workbook that is not there is no badly filled one.
    if (!fileExists(inputs.workbookPath)) {
        prompts.showMessage(MessageKind::Error, "Dokumentas nerastas: " + inputs.workbookPath);
        return ended(RunOutcome::MissingWorkbook);
    }
    if (!isValidPeriod(inputs.period)) {
        prompts.showMessage(MessageKind::Error, "Neteisingas laikotarpis.");
        return ended(RunOutcome::BadPeriod);
    }

    CounterpartCounter counter(settings);
    try {
        progress.setStatus("Atidarome failą");
        const auto workbook = open(inputs.workbookPath);
        progress.setStatus("Patikrinimas");
        progress.processEvents();

        InvoiceBook book;
        ErrorList errors;
        SheetReading reading{*workbook, inputs.period, inputs.regional, progress,
                             book,      errors,        counter};
        for (int sheet = 1; sheet <= 6; ++sheet) {
            readPurchaseSheet(reading, sheet);
        }
        for (int sheet = 7; sheet <= 12; ++sheet) {
            readSalesSheet(reading, sheet);
        }

        RunResult result = ended(RunOutcome::BadlyFilledCells);
        result.errors = errors.entries();
        if (!errors.hasEntries()) {
            if (!book.empty()) {
                result = ended(RunOutcome::Saved);
                // Advice about the file being saved, which never stops anything, is found while
                // the file is written: both only read the book, and writing leaves a core idle.
                auto warnings = std::async(std::launch::async, [&book, &inputs] {
                    return bookWarnings(book, inputs.payerCode, inputs.today);
                });
                result.savedPath = exporter(book, inputs, progress);
                prompts.showSaved(result.savedPath);
                result.warnings = warnings.get();
                if (!result.warnings.empty()) {
                    prompts.showWarnings(result.warnings);
                }
            } else {
                prompts.showMessage(MessageKind::Information,
                                    "\"" + inputs.workbookFileName + "\" faile įrašų nerasta.");
                result = ended(RunOutcome::NoRows);
            }
        }
        book = InvoiceBook{};
        if (errors.hasEntries()) {
            // The workbook is shown first, so the user sees it behind the list.
            workbook->present(prompts.desktop());
            prompts.showMessage(MessageKind::Error, errors.text());
        } else {
            workbook->quit();
        }
        return result;
    } catch (const IsafFileError& failure) {
        prompts.showMessage(MessageKind::Error, failure.what());
        return ended(failure.reason() == IsafFileError::Reason::BeyondSchemaCaps
                         ? RunOutcome::BeyondSchemaCaps
                         : RunOutcome::OutputNotWritable);
    } catch (const RunCancelled&) {
        return ended(RunOutcome::Cancelled);
    } catch (const RunFailure& failure) {
        prompts.showMessage(MessageKind::Error, failure.what());
        return ended(failure.outcome());
    } catch (const WorkbookError&) {
        prompts.showMessage(MessageKind::Error,
                            "Blogai užpildytas failas " + inputs.workbookFileName);
        return ended(RunOutcome::UnreadableWorkbook);
    } catch (const std::bad_alloc&) {
        prompts.showMessage(MessageKind::Error, std::string(kProgramFault) + "pritrūko atminties");
        return ended(RunOutcome::ProgramFault);
    } catch (const std::exception& fault) {
        // Not the workbook's fault: saying so would send the user hunting for an error in it.
        prompts.showMessage(MessageKind::Error, std::string(kProgramFault) + fault.what());
        return ended(RunOutcome::ProgramFault);
    } catch (...) {
        prompts.showMessage(MessageKind::Error, std::string(kProgramFault) + "nežinoma išimtis");
        return ended(RunOutcome::ProgramFault);
    }
}

RunResult runGeneration(const RunInputs& inputs, RunPrompts& prompts, Progress& progress,
                        const ProfileFile& settings) {
    return runGeneration(inputs, prompts, progress, settings, openWorkbook, exportIsafFile);
}
