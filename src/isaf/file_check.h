#pragma once

#include <string>
#include <vector>

#include "base/date.h"
#include "isaf/check_findings.h"
#include "isaf/summary.h"

// The check of any i.SAF 1.2 file, the program's own or another program's.

enum class CheckOutcome {
    Clean,         // nothing found
    Errors,        // schema or logical errors (warnings may come with them)
    WarningsOnly,  // advice only
    NotIsaf,       // not XML, not an i.SAF file, or refused as unsafe: nothing else was checked
};

struct FileCheckResult {
    CheckOutcome outcome = CheckOutcome::Clean;
    std::vector<CheckFinding> findings;  // in the order found
    size_t notListed = 0;                // findings beyond those listed, only counted
    size_t errors = 0;                   // listed or not
    size_t warnings = 0;
    IsafSummary summary;  // per side and tax code; empty when the file is not an i.SAF file
};

// Reads the file once, as a stream (never the whole document in memory), validating it against
// the i.SAF 1.2 schema the program carries, and checks what the schema cannot express: each
// TaxPercentage against its TaxCode, each invoice's date against the period of the header
// (sales by InvoiceDate, purchases by RegistrationAccountDate), the counterparts' IDs, and a
// file name of the form "Kolvira_<code>_<yyyyMM>_<part>.xml" against the header; then the
// warnings catalogue's checks of the invoices and the payer's code, with `today` the day no
// date may lie after.
// A DOCTYPE (and so any entity or external reference), elements nested more than 64 deep, a
// text longer than 1 MiB and a file larger than 4 GiB are refused.
FileCheckResult checkIsafFile(const std::string& path, Date today);

// The findings as lines of text, under a heading per kind, each "Eilutė N: " and its sentence,
// then one closing line with the verdict: what the window's list shows and what kolvira-cli
// prints.
std::vector<std::string> checkReportLines(const FileCheckResult& result);
