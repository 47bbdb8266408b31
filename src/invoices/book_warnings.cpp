#include "invoices/book_warnings.h"

#include <bit>

#include "invoices/sheet_table.h"

namespace {

// The invoice book's invoices, purchases first, each naming its place as a cell of its row.
class BookInvoices : public WarningSubject {
  public:
    explicit BookInvoices(const InvoiceBook& book) : book_(book) {}

    std::size_t invoiceCount() const override {
        return book_.purchases.invoices.size() + book_.sales.invoices.size();
    }

    InvoiceView invoice(std::size_t index) const override {
        const Ledger& ledger = ledgerOf(index);
        const Invoice& invoice = at(index);
        const Counterpart& counterpart = ledger.counterparts[invoice.counterpart];
        InvoiceView view;
        view.side = &ledger == &book_.purchases ? InvoiceSide::Purchase : InvoiceSide::Sales;
        view.number = invoice.number;
        view.type = invoice.type;
        view.date = invoice.date;
        if (view.side == InvoiceSide::Purchase) {
            view.registrationDate = invoice.registrationDate;
            view.registrationFromEmptyCell = invoice.registrationFromEmptyCell;
        }
        view.vatCode = counterpart.vatCode;
        view.companyCode = counterpart.companyCode;
        view.name = counterpart.name;
        view.country = counterpart.country;
        view.lines = invoice.lines;
        return view;
    }

    std::string placeName(std::size_t index, InvoiceField field) const override {
        const Invoice& invoice = at(index);
        return cellPlace(sheetName(invoice.sheet),
                         cellName(column(invoice, field, 0), invoice.row));
    }

    CellRemark remark(std::size_t index, InvoiceField field, std::size_t taxLine,
                      std::string text) const {
        const Invoice& invoice = at(index);
        return {std::string(sheetName(invoice.sheet)),
                cellName(column(invoice, field, taxLine), invoice.row), std::move(text)};
    }

  private:
    const Ledger& ledgerOf(std::size_t index) const {
        return index < book_.purchases.invoices.size() ? book_.purchases : book_.sales;
    }

    const Invoice& at(std::size_t index) const {
        const std::size_t purchases = book_.purchases.invoices.size();
        return index < purchases ? book_.purchases.invoices[index]
                                 : book_.sales.invoices[index - purchases];
    }

    static int column(const Invoice& invoice, InvoiceField field, std::size_t taxLine) {
        const SheetColumns columns = sheetColumns(invoice.sheet);
        switch (field) {
            case InvoiceField::Date:
                return kDateColumn;
            case InvoiceField::Number:
                return kNumberColumn;
            case InvoiceField::Type:
                return kTypeColumn;
            case InvoiceField::RegistrationDate:
                return kRegistrationDateColumn;
            case InvoiceField::VatCode:
                return columns.vatCode;
            case InvoiceField::CompanyCode:
                return columns.companyCode();
            case InvoiceField::Country:
                return columns.country();
            case InvoiceField::VatAmount:
                return columns.value(invoice.multiRate ? group(invoice.lineGroups, taxLine) : 0) +
                       1;
        }
        return kDateColumn;
    }

    // The group of columns of the line-th of the lines a multi-rate row kept.
    static int group(std::uint8_t groups, std::size_t line) {
        for (std::size_t skipped = 0; skipped < line && groups != 0; ++skipped) {
            groups = static_cast<std::uint8_t>(groups & (groups - 1));  // drops the lowest bit
        }
        return groups == 0 ? 0 : std::countr_zero(groups);
    }

    const InvoiceBook& book_;
};

class ListSink : public WarningSink {
  public:
    ListSink(const BookInvoices& invoices, WarningList& list) : invoices_(invoices), list_(list) {}

    void add(InvoiceWarning warning) override {
        if (list_.listed().size() >= WarningList::kListed) {
            list_.add({warning.code, {}});  // counted only
            return;
        }
        list_.add({warning.code, invoices_.remark(warning.invoice, warning.field, warning.taxLine,
                                                  std::move(warning.text))});
    }

  private:
    const BookInvoices& invoices_;
    WarningList& list_;
};

}  // namespace

void WarningList::add(CellWarning warning) {
    if (listed_.size() < kListed) {
        listed_.push_back(std::move(warning));
    } else {
        ++notListed_;
    }
}

std::string WarningList::text() const {
    std::string text(kHeading);
    for (const CellWarning& warning : listed_) {
        text += '\n';
        text += cellRemarkLine(warning.remark);
    }
    if (notListed_ > 0) {
        text += "\nNeparodytų įspėjimų: " + std::to_string(notListed_) + ".";
    }
    return text;
}

WarningList bookWarnings(const InvoiceBook& book, std::string_view payerCode, Date today) {
    WarningList list;
    if (auto text = payerCodeWarning(payerCode)) {
        list.add({WarningCode::CheckDigit, {{}, {}, std::move(*text)}});
    }
    const BookInvoices invoices(book);
    ListSink sink(invoices, list);
    findInvoiceWarnings(invoices, today, sink);
    return list;
}
