#include "cli/json_report.h"

namespace {

const char* kindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::NotIsaf:
            return "not_isaf";
        case FindingKind::Schema:
            return "schema";
        case FindingKind::Logical:
            return "logical";
        case FindingKind::Warning:
            return "warning";
    }
    return "schema";
}

const char* outcomeName(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::Clean:
            return "clean";
        case CheckOutcome::Errors:
            return "errors";
        case CheckOutcome::WarningsOnly:
            return "warnings";
        case CheckOutcome::NotIsaf:
            return "not_isaf";
    }
    return "errors";
}

JsonObject nullOr(const std::string& text) {
    return text.empty() ? JsonObject(nullptr) : JsonObject(text);
}

JsonObject sideJson(const TotalsByTaxCode& side) {
    JsonObject rows = JsonObject::array();
    for (const auto& [code, totals] : side) {
        rows.push_back({{"tax_code", code},
                        {"invoices", totals.invoices},
                        {"taxable", centsText(totals.taxableCents)},
                        {"vat", centsText(totals.vatCents)}});
    }
    return rows;
}

}  // namespace

JsonObject summaryJson(const IsafSummary& summary) {
    return {{"purchases", sideJson(summary.purchases)}, {"sales", sideJson(summary.sales)}};
}

JsonObject findingJson(const CheckFinding& finding) {
    return {{"kind", kindName(finding.kind)},
            {"line", finding.line},
            {"element", finding.element},
            {"invoice", finding.invoice},
            {"text", finding.text}};
}

JsonObject checkReportJson(const FileCheckResult& result, const std::string& file) {
    JsonObject errors = JsonObject::array();
    JsonObject warnings = JsonObject::array();
    for (const CheckFinding& finding : result.findings) {
        (finding.kind == FindingKind::Warning ? warnings : errors).push_back(findingJson(finding));
    }
    JsonObject report;
    report["outcome"] = outcomeName(result.outcome);
    report["file"] = file;
    report["errors"] = std::move(errors);
    report["warnings"] = std::move(warnings);
    report["not_listed"] = result.notListed;
    report["summary"] =
        result.outcome == CheckOutcome::NotIsaf ? JsonObject(nullptr) : summaryJson(result.summary);
    return report;
}

const char* runOutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::MissingWorkplace:
            return "missing_workplace";
        case RunOutcome::MissingPayer:
            return "missing_payer";
        case RunOutcome::MissingWorkbook:
            return "missing_workbook";
        case RunOutcome::BadPeriod:
            return "bad_period";
        case RunOutcome::UnreadableWorkbook:
            return "unreadable_workbook";
        case RunOutcome::SettingsNotWritable:
            return "settings_not_writable";
        case RunOutcome::OutputNotWritable:
            return "output_not_writable";
        case RunOutcome::BeyondSchemaCaps:
            return "beyond_schema_caps";
        case RunOutcome::BadlyFilledCells:
            return "badly_filled_cells";
        case RunOutcome::NoRows:
            return "no_rows";
        case RunOutcome::Saved:
            return "saved";
        case RunOutcome::CounterCannotGoOn:
            return "counter_cannot_go_on";
        case RunOutcome::ProgramFault:
            return "program_fault";
        case RunOutcome::Cancelled:
            return "cancelled";
    }
    return "program_fault";
}

JsonObject runReportJson(const RunResult& result, const std::string& workbook,
                         const std::optional<std::string>& message,
                         const std::optional<IsafSummary>& summary) {
    JsonObject errors = JsonObject::array();
    for (const CellRemark& error : result.errors) {
        errors.push_back({{"sheet", error.sheet}, {"cell", error.cell}, {"text", error.text}});
    }
    JsonObject warnings = JsonObject::array();
    for (const CellWarning& warning : result.warnings.listed()) {
        warnings.push_back({{"sheet", nullOr(warning.remark.sheet)},
                            {"cell", nullOr(warning.remark.cell)},
                            {"code", std::string(warningCodeName(warning.code))},
                            {"text", warning.remark.text}});
    }
    JsonObject report;
    report["outcome"] = runOutcomeName(result.outcome);
    report["workbook"] = workbook;
    report["path"] = nullOr(result.savedPath);
    report["message"] = message ? JsonObject(*message) : JsonObject(nullptr);
    report["errors"] = std::move(errors);
    report["warnings"] = std::move(warnings);
    report["not_listed"] = result.warnings.notListed();
    report["summary"] = summary ? summaryJson(*summary) : JsonObject(nullptr);
    return report;
}

std::string jsonText(const JsonObject& object) {
    return object.dump(-1, ' ', false, JsonObject::error_handler_t::replace);
}
