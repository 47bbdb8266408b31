#include "import/generation_run.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "import/run_context.h"
#include "import/sheet_readers.h"
#include "isaf/export_xml.h"
#include "shell/desktop_shell.h"

namespace {

constexpr std::string_view kProgramFault = "Programos klaida: ";

bool allOf(const std::string& text, bool (*accept)(char)) {
    return std::all_of(text.begin(), text.end(), accept);
}

// Ends the busy state whatever way the run leaves.
class BusyGuard {
  public:
    explicit BusyGuard(RunHost& host) : host_(host) { host_.beginBusy(); }
    ~BusyGuard() { host_.endBusy(); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    RunHost& host_;
};

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

RunResult runGeneration(RunHost& host, const ProfileFile& settings, const WorkbookOpener& open,
                        const Exporter& exporter) {
    BusyGuard busy(host);
    const RunInputs inputs = host.inputs();

    if (!isValidWorkplaceName(inputs.workplaceName)) {
        host.showMessage(MessageKind::Error, "Įveskite savo darbo vietos pavadinimą.");
        host.markWorkplaceMissing();
        return {RunOutcome::MissingWorkplace, {}};
    }
    if (!isValidPayerCode(inputs.payerCode)) {
        host.showMessage(MessageKind::Error, "Įveskite savo įmonės (asmens) kodą.");
        if (inputs.payerCount > 0) {
            host.editPayer();
        } else {
            host.newPayer();
        }
        return {RunOutcome::MissingPayer, {}};
    }
    if (inputs.workbookPath.empty()) {
        host.showMessage(MessageKind::Error, "Dokumentas nepasirinktas");
        return {RunOutcome::MissingWorkbook, {}};
    }
    if (!isValidPeriod(inputs.period)) {
        host.showMessage(MessageKind::Error, "Neteisingas laikotarpis.");
        return {RunOutcome::BadPeriod, {}};
    }

    CounterpartCounter counter(settings);
    try {
        host.setStatus("Atidarome failą");
        const auto workbook = open(inputs.workbookPath, inputs.regional);
        host.setStatus("Patikrinimas");
        host.processEvents();

        InvoiceRowStore store;
        ErrorList errors;
        RunContext run{inputs, host, *workbook, store, errors, counter};
        for (int sheet = 1; sheet <= 6; ++sheet) {
            ReadPurchaseSheet(run, sheet);
        }
        for (int sheet = 7; sheet <= 12; ++sheet) {
            ReadSalesSheet(run, sheet);
        }

        RunResult result{RunOutcome::BadlyFilledCells, {}};
        if (!errors.hasEntries()) {
            if (!store.empty()) {
                result = {RunOutcome::Saved, exporter(store, inputs, host)};
            } else {
                host.showMessage(MessageKind::Information,
                                 "\"" + inputs.workbookFileName + "\" faile įrašų nerasta.");
                result = {RunOutcome::NoRows, {}};
            }
        }
        store = InvoiceRowStore{};
        if (errors.hasEntries()) {
            // The workbook is shown first, so the user sees it behind the list.
            workbook->present(host.desktop());
            host.showMessage(MessageKind::Error, errors.text());
        } else {
            workbook->quit();
        }
        return result;
    } catch (const RunFailure& failure) {
        host.showMessage(MessageKind::Error, failure.what());
        return {failure.outcome(), {}};
    } catch (const WorkbookError&) {
        host.showMessage(MessageKind::Error, "Blogai užpildytas failas " + inputs.workbookFileName);
        return {RunOutcome::UnreadableWorkbook, {}};
    } catch (const std::bad_alloc&) {
        host.showMessage(MessageKind::Error, std::string(kProgramFault) + "pritrūko atminties");
        return {RunOutcome::ProgramFault, {}};
    } catch (const std::exception& fault) {
        // Not the workbook's fault: saying so would send the user hunting for an error in it.
        host.showMessage(MessageKind::Error, std::string(kProgramFault) + fault.what());
        return {RunOutcome::ProgramFault, {}};
    } catch (...) {
        host.showMessage(MessageKind::Error, std::string(kProgramFault) + "nežinoma išimtis");
        return {RunOutcome::ProgramFault, {}};
    }
}

RunResult runGeneration(RunHost& host, const ProfileFile& settings) {
    return runGeneration(host, settings, openWorkbook, Export2XML);
}
