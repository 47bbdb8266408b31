#pragma once

#include <string>

#include "base/date.h"
#include "base/progress.h"
#include "invoices/error_list.h"
#include "invoices/invoice_book.h"
#include "invoices/regional_settings.h"
#include "workbook/workbook_connection.h"

// Where automatic counterpart numbers come from: counterparts without a usable code get the
// next one. The run keeps it in the settings file, so numbers never repeat between runs.
class CounterpartNumbers {
  public:
    virtual ~CounterpartNumbers() = default;
    virtual std::string issue() = 0;
};

// What the sheet readers work with during one generation run.
struct SheetReading {
    WorkbookConnection& workbook;
    const Period& period;
    const RegionalSettings& regional;
    Progress& progress;
    InvoiceBook& book;
    ErrorList& errors;
    CounterpartNumbers& counterpartNumbers;
};

// The progress bar's maximum while the twelve sheets are read; each sheet has its twelfth.
inline constexpr int kSheetReadingSteps = 12 * 1000;

// The purchase sheet reader, for sheet numbers 1 to 6.
void readPurchaseSheet(SheetReading& reading, int sheetNumber);

// The sales sheet reader, for sheet numbers 7 to 12.
void readSalesSheet(SheetReading& reading, int sheetNumber);
