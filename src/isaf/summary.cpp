#include "isaf/summary.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <tuple>

#include "base/text.h"

namespace {

// Adds one invoice's tax lines; an invoice counts once for each tax code it holds. Sums are
// kept in whole cents, so that thousands of invoices add up exactly.
void addInvoice(TotalsByTaxCode& side, const Invoice& invoice) {
    std::set<std::string> codes;
    for (const TaxLine& line : invoice.lines) {
        TaxCodeTotals& totals = side[line.code];
        totals.taxableCents += line.value.cents;
        totals.vatCents += line.vatAmount.value_or(Money{}).cents;
        if (codes.insert(line.code).second) {
            ++totals.invoices;
        }
    }
}

void addLedger(TotalsByTaxCode& side, const Ledger& ledger) {
    for (const Invoice& invoice : ledger.invoices) {
        addInvoice(side, invoice);
    }
}

// Pads to a width counted in characters, not bytes, so Lithuanian letters keep columns straight.
std::string padded(const std::string& text, size_t width, bool right) {
    const size_t characters = characterCount(text);
    const std::string fill(width > characters ? width - characters : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string money(long long centsValue) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld", centsValue < 0 ? "-" : "",
                  std::llabs(centsValue) / 100, std::llabs(centsValue) % 100);
    return buffer;
}

}  // namespace

IsafSummary summarize(const InvoiceBook& book) {
    IsafSummary summary;
    addLedger(summary.purchases, book.purchases);
    addLedger(summary.sales, book.sales);
    return summary;
}

bool TaxCodeOrder::operator()(const std::string& a, const std::string& b) const {
    const auto split = [](const std::string& code) {
        const size_t digits = code.find_first_of("0123456789");
        const std::string prefix = code.substr(0, digits);
        const bool numeric = digits != std::string::npos &&
                             code.find_first_not_of("0123456789", digits) == std::string::npos &&
                             code.size() - digits <= 9;
        return std::make_tuple(prefix, numeric ? std::stol(code.substr(digits)) : -1L, code);
    };
    return split(a) < split(b);
}

std::string formatSummary(const IsafSummary& summary) {
    std::string table;
    const auto row = [&](const std::string& side, const std::string& code, const std::string& count,
                         const std::string& taxable, const std::string& vat) {
        table += padded(side, 11, false) + padded(code, 9, false) + padded(count, 10, true) +
                 padded(taxable, 19, true) + padded(vat, 19, true) + "\n";
    };
    row("Pusė", "PVM kodas", "Sąskaitos", "Apmokestinama", "PVM suma");
    const auto side = [&](const std::string& name, const TotalsByTaxCode& codes) {
        TaxCodeTotals all;
        for (const auto& [code, totals] : codes) {
            row(name, code.empty() ? "-" : code, std::to_string(totals.invoices),
                money(totals.taxableCents), money(totals.vatCents));
            all.invoices += totals.invoices;
            all.taxableCents += totals.taxableCents;
            all.vatCents += totals.vatCents;
        }
        row(name, "Iš viso", "", money(all.taxableCents), money(all.vatCents));
    };
    side("Pirkimai", summary.purchases);
    side("Pardavimai", summary.sales);
    return table;
}
