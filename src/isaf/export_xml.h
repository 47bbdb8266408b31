#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include <stdexcept>

#include "base/date.h"
#include "base/progress.h"
#include "invoices/invoice_book.h"
#include "isaf/isaf_document.h"

// What the header of an i.SAF file says besides the invoices.
struct IsafFileInfo {
    std::string payerCode;      // RegistrationNumber
    std::string workplaceName;  // PartNumber; "1" when empty
    Period period;              // SelectionStartDate, SelectionEndDate
    std::string programVersion;
};

// Why an i.SAF file was not written: more entries than the schema allows, or a folder or file
// that cannot be written. The text is for the user.
class IsafFileError : public std::runtime_error {
  public:
    enum class Reason { BeyondSchemaCaps, NotWritable };
    IsafFileError(Reason reason, const std::string& message)
        : std::runtime_error(message), reason_(reason) {}
    Reason reason() const { return reason_; }

  private:
    Reason reason_;
};

// Builds the i.SAF 1.2 file from the filled invoice book and saves it into `folder`. Returns
// the saved file's path; throws IsafFileError when the book is beyond the schema's caps or the
// file cannot be saved (an earlier file of the same name then stays whole). The clock gives
// the file's creation time.
using UtcClock = std::function<std::chrono::system_clock::time_point()>;
std::string writeIsafFile(const InvoiceBook& book, const IsafFileInfo& info,
                          const std::string& folder, Progress& progress, const UtcClock& now);

// The whole document, header to "</iSAFFile>", with its progress reported.
void assembleIsafDocument(IsafDocument& document, const InvoiceBook& book, const IsafFileInfo& info,
                          std::chrono::system_clock::time_point created);

// "Kolvira_" + payer code + "_" + yyyyMM of the period start + "_" + workplace name + ".xml"
std::string isafFileName(const IsafFileInfo& info);

// The schema holds at most this many entries in each of Customers, Suppliers,
// PurchaseInvoices and SalesInvoices.
constexpr size_t kSchemaSectionCap = 500000;

// Throws IsafFileError (BeyondSchemaCaps) naming the first section beyond the cap.
void checkSchemaCaps(size_t suppliers, size_t customers, size_t purchaseInvoices,
                     size_t salesInvoices);
