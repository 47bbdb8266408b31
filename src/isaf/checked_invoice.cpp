#include "isaf/checked_invoice.h"

namespace {

const char* elementOf(InvoiceField field) {
    switch (field) {
        case InvoiceField::Date:
            return "InvoiceDate";
        case InvoiceField::Number:
            return "InvoiceNo";
        case InvoiceField::Type:
            return "InvoiceType";
        case InvoiceField::RegistrationDate:
            return "RegistrationAccountDate";
        case InvoiceField::VatCode:
            return "VATRegistrationNumber";
        case InvoiceField::CompanyCode:
            return "RegistrationNumber";
        case InvoiceField::Country:
            return "Country";
        case InvoiceField::VatAmount:
            return "Amount";
    }
    return "Invoice";
}

// "Pirkimo sąskaita „AB-1“", as the file check's other findings name an invoice.
std::string invoiceLabel(const CheckedInvoice& invoice, bool capital) {
    std::string label = invoice.side == InvoiceSide::Purchase ? "pirkimo" : "pardavimo";
    if (capital) {
        label[0] = static_cast<char>(label[0] - 32);
    }
    return label + " sąskaita „" + invoice.number + "“";
}

// The file's invoices, each naming its place by side, number and line.
class FileInvoices : public WarningSubject {
  public:
    explicit FileInvoices(const CheckedInvoices& invoices) : invoices_(invoices) {}

    std::size_t invoiceCount() const override { return invoices_.invoices.size(); }

    InvoiceView invoice(std::size_t index) const override {
        const CheckedInvoice& invoice = invoices_.invoices[index];
        const CheckedCounterpart& counterpart = invoices_.counterpartOf(invoice);
        InvoiceView view;
        view.side = invoice.side;
        view.number = invoice.number;
        view.type = invoice.type;
        view.date = invoice.invoiceDate;
        view.registrationDate = invoice.registrationDate;
        view.vatCode = counterpart.vatCode;
        view.companyCode = counterpart.registrationNumber;
        view.name = counterpart.name;
        view.country = counterpart.country;
        view.lines = invoice.taxLines;
        return view;
    }

    std::string placeName(std::size_t index, InvoiceField /*field*/) const override {
        const CheckedInvoice& invoice = invoices_.invoices[index];
        return invoiceLabel(invoice, false) + " (eilutė " + std::to_string(invoice.line) + ")";
    }

  private:
    const CheckedInvoices& invoices_;
};

class FindingSink : public WarningSink {
  public:
    FindingSink(const CheckedInvoices& invoices, CheckFindings& findings)
        : invoices_(invoices), findings_(findings) {}

    void add(InvoiceWarning warning) override {
        const CheckedInvoice& invoice = invoices_.invoices[warning.invoice];
        findings_.add({FindingKind::Warning, invoice.line, elementOf(warning.field), invoice.number,
                       invoiceLabel(invoice, true) + ": " + warning.text + "."});
    }

  private:
    const CheckedInvoices& invoices_;
    CheckFindings& findings_;
};

}  // namespace

void addInvoiceWarnings(const CheckedInvoices& invoices,
                        const std::optional<CheckedPayerCode>& payerCode, Date today,
                        CheckFindings& findings) {
    if (payerCode) {
        if (auto text = payerCodeWarning(payerCode->code)) {
            findings.add(
                {FindingKind::Warning, payerCode->line, "RegistrationNumber", {}, *text + "."});
        }
    }
    const FileInvoices subject(invoices);
    FindingSink sink(invoices, findings);
    findInvoiceWarnings(subject, today, sink);
}
