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

std::string jsonText(const JsonObject& object) {
    return object.dump(-1, ' ', false, JsonObject::error_handler_t::replace);
}
