#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/date.h"
#include "invoices/error_list.h"
#include "invoices/invoice_book.h"
#include "invoices/warnings.h"

// One warning about the workbook: its check and the cell it names (none for the payer's own
// code), in the error list's form.
struct CellWarning {
    WarningCode code = WarningCode::Duplicate;
    CellRemark remark;
};

// The warnings of one generation run, as the window shows them and kolvira-cli reports them.
// Beyond a fixed number they are only counted, so that a workbook wrong on every row fills
// neither the memory nor the screen.
class WarningList {
  public:
    static constexpr std::string_view kHeading = "Įspėjimai:";
    static constexpr std::size_t kListed = 10000;

    void add(CellWarning warning);

    bool empty() const { return count() == 0; }
    std::size_t count() const { return listed_.size() + notListed_; }
    const std::vector<CellWarning>& listed() const { return listed_; }
    std::size_t notListed() const { return notListed_; }

    // The heading, then one line per warning ("Gau21 lapas -> B7  galimas dublikatas: ..."),
    // then how many were not listed; lines joined by LF.
    std::string text() const;

  private:
    std::vector<CellWarning> listed_;
    std::size_t notListed_ = 0;
};

// The warnings about the invoices a run stored: the payer's own code first, then the purchase
// sheets' and the sales sheets' invoices in the order they were read.
WarningList bookWarnings(const InvoiceBook& book, std::string_view payerCode, Date today);
