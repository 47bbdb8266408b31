#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "isaf/check_findings.h"
#include "isaf/file_check.h"
#include "isaf/summary.h"
#include "run/generation_run.h"

// kolvira-cli's --format json: one object on stdout, its keys in a fixed order. The pieces
// serve every command that reports findings and totals.
using JsonObject = nlohmann::ordered_json;

// {"purchases": [{"tax_code", "invoices", "taxable", "vat"}...], "sales": [...]}, amounts as
// decimal text ("1234.50") so that no reader rounds them.
JsonObject summaryJson(const IsafSummary& summary);

// {"kind", "line", "element", "invoice", "text"}; kind is "not_isaf", "schema", "logical" or
// "warning"; line 0 is the file as a whole.
JsonObject findingJson(const CheckFinding& finding);

// {"outcome": "clean" | "errors" | "warnings" | "not_isaf", "file", "errors": [...],
//  "warnings": [...], "not_listed", "summary": {...} or null}
JsonObject checkReportJson(const FileCheckResult& result, const std::string& file);

// {"outcome": "saved" | "badly_filled_cells" | "no_rows" | "missing_workplace" | ...
//  | "program_fault",
//  "workbook", "path" (null unless saved), "message" (the message the run ended with, null
//  when saved or for badly filled cells), "errors": [{"sheet", "cell", "text"}],
//  "warnings": [{"sheet", "cell", "code", "text"}] (sheet and cell null for the payer's own
//  code), "not_listed" (warnings beyond those listed), "summary": {...} or null}
JsonObject runReportJson(const RunResult& result, const std::string& workbook,
                         const std::optional<std::string>& message,
                         const std::optional<IsafSummary>& summary);

// The name of a run's outcome in the object above.
const char* runOutcomeName(RunOutcome outcome);

// The object as one line of text; bytes that are not UTF-8 (a file name, say) become U+FFFD.
std::string jsonText(const JsonObject& object);
