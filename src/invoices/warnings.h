#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/date.h"
#include "invoices/invoice_book.h"

// The warnings catalogue: what the tax administration's cross-check of buyers' and sellers'
// registers would flag later, said when the file is made. Warnings are advice; they never
// stop a file. One catalogue serves the generation run (naming cells of the workbook) and the
// i.SAF file check (naming invoices of the file): both hand their invoices over as the small
// common view below, and each names the places its own way.

enum class InvoiceSide : std::uint8_t { Purchase, Sales };

// An invoice as the warnings see it. The texts are views into the caller's invoice.
struct InvoiceView {
    InvoiceSide side = InvoiceSide::Purchase;
    std::string_view number;
    std::string_view type;
    std::optional<Date> date;
    std::optional<Date> registrationDate;  // purchases
    // The run registered it for want of a registration date (an empty D cell).
    bool registrationFromEmptyCell = false;
    // The counterpart; "ND" counts as no code or name.
    std::string_view vatCode;
    std::string_view companyCode;
    std::string_view name;
    std::string_view country;
    std::span<const TaxLine> lines;
};

// What a warning points at: a cell of the invoice's row, an element of the file's invoice.
enum class InvoiceField : std::uint8_t {
    Date,
    Number,
    Type,
    RegistrationDate,
    VatCode,
    CompanyCode,
    Country,
    VatAmount,  // of one tax line
};

// The checks of the catalogue.
enum class WarningCode : std::uint8_t {
    Duplicate,         // the same invoice twice on one side
    NrInNumber,        // "Nr." in the invoice number
    CheckDigit,        // a Lithuanian company or personal code with a wrong check digit
    LtVatCode,         // a Lithuanian VAT code of a wrong form or check digit
    CountryPrefix,     // the country is not the one of the VAT code's EU prefix
    VatAmount,         // the VAT amount is not value times rate
    CreditDebitSign,   // a credit note with a positive value, a debit note with a negative one
    LateRegistration,  // dated before the period, registered on its first day by the run
    FutureDate,        // a date after today
};

// The code's name in reports for programs: "duplicate", "nr_in_number", "check_digit", ...
std::string_view warningCodeName(WarningCode code);

struct InvoiceWarning {
    WarningCode code = WarningCode::Duplicate;
    std::size_t invoice = 0;  // the index of the invoice, in the order checked
    InvoiceField field = InvoiceField::Number;
    std::size_t taxLine = 0;  // for a VAT amount: which line of the invoice
    // What is wrong, in Lithuanian, to follow the name of the place: it begins in lower case
    // and has no closing full stop ("galimas dublikatas: ...").
    std::string text;
};

// The invoices to check, in the order their warnings are listed.
class WarningSubject {
  public:
    virtual ~WarningSubject() = default;
    virtual std::size_t invoiceCount() const = 0;
    virtual InvoiceView invoice(std::size_t index) const = 0;
    // How a warning about another invoice names this one's field: "Gau21 lapas -> B7", or
    // "pirkimo sąskaita „AB1“ (eilutė 57)".
    virtual std::string placeName(std::size_t index, InvoiceField field) const = 0;
};

class WarningSink {
  public:
    virtual ~WarningSink() = default;
    virtual void add(InvoiceWarning warning) = 0;
};

// Checks every invoice and hands the warnings over in the order of the invoices, and for each
// invoice in the order of its fields (as its cells lie in the row). `today` is the front end's
// day, against which no date may lie ahead.
void findInvoiceWarnings(const WarningSubject& invoices, Date today, WarningSink& sink);

// The payer's own company (or personal) code gets the check of a Lithuanian code's check
// digit too: the whole sentence when its check digit is wrong, nothing otherwise.
std::optional<std::string> payerCodeWarning(std::string_view code);
