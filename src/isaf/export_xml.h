#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "import/row_store.h"
#include "import/run_host.h"
#include "isaf/isaf_document.h"

// Builds the i.SAF 1.2 file from the filled row store, saves it into the output folder and
// tells the user where it lies. Returns the saved file's path; throws RunFailure when the
// store is beyond the schema's caps or the file cannot be saved (an earlier file of the same
// name then stays whole), and std::runtime_error for a malformed row record.
std::string Export2XML(const InvoiceRowStore& store, const RunInputs& inputs, RunHost& host);

// The same with the clock that gives the file's creation time; tests fix it.
using UtcClock = std::function<std::chrono::system_clock::time_point()>;
std::string exportIsafFile(const InvoiceRowStore& store, const RunInputs& inputs, RunHost& host,
                           const UtcClock& now);

// The whole document, header to "</iSAFFile>", with its progress reported to the host.
void assembleIsafDocument(IsafDocument& document, const InvoiceRowStore& store,
                          const RunInputs& inputs, std::chrono::system_clock::time_point created);

// "Kolvira_" + payer code + "_" + yyyyMM of the period start + "_" + workplace name + ".xml"
std::string isafFileName(const RunInputs& inputs);

// The schema holds at most this many entries in each of Customers, Suppliers,
// PurchaseInvoices and SalesInvoices.
constexpr size_t kSchemaSectionCap = 500000;

// Throws RunFailure (BeyondSchemaCaps) naming the first section beyond the cap.
void checkSchemaCaps(size_t suppliers, size_t customers, size_t purchaseInvoices,
                     size_t salesInvoices);
