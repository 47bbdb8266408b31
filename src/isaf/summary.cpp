#include "isaf/summary.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <vector>

#include "base/text.h"

namespace {

// Adds one invoice's tax lines; sums are kept in whole cents, so that thousands of invoices add
// up exactly.
void addInvoice(TotalsByTaxCode& side, const Invoice& invoice) {
    std::vector<TaxLineTotals> totals;
    totals.reserve(invoice.lines.size());
    for (const TaxLine& line : invoice.lines) {
        totals.push_back({line.code, line.value.cents, line.vatAmount.value_or(Money{}).cents});
    }
    addInvoiceTotals(side, totals);
}

void addLedger(TotalsByTaxCode& side, const Ledger& ledger) {
    for (const Invoice& invoice : ledger.invoices) {
        addInvoice(side, invoice);
    }
}

long long saturatingSum(long long a, long long b) {
    long long sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b < 0 ? std::numeric_limits<long long>::min()
                     : std::numeric_limits<long long>::max();
    }
    return sum;
}

// Pads to a width counted in characters, not bytes, so Lithuanian letters keep columns straight.
std::string padded(const std::string& text, size_t width, bool right) {
    const size_t characters = characterCount(text);
    const std::string fill(width > characters ? width - characters : 0, ' ');
    return right ? fill + text : text + fill;
}

}  // namespace

void addInvoiceTotals(TotalsByTaxCode& side, const std::vector<TaxLineTotals>& lines) {
    for (size_t line = 0; line < lines.size(); ++line) {
        TaxCodeTotals& totals = side[std::string(lines[line].taxCode)];
        totals.taxableCents = saturatingSum(totals.taxableCents, lines[line].taxableCents);
        totals.vatCents = saturatingSum(totals.vatCents, lines[line].vatCents);
        bool counted = false;
        for (size_t earlier = 0; earlier < line && !counted; ++earlier) {
            counted = lines[earlier].taxCode == lines[line].taxCode;
        }
        if (!counted) {
            ++totals.invoices;
        }
    }
}

std::string centsText(long long cents) {
    // Unsigned, so that the lowest value has a magnitude too.
    const unsigned long long magnitude = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents)
                                                   : static_cast<unsigned long long>(cents);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%02llu", cents < 0 ? "-" : "", magnitude / 100,
                  magnitude % 100);
    return buffer;
}

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
                centsText(totals.taxableCents), centsText(totals.vatCents));
            all.invoices += totals.invoices;
            all.taxableCents = saturatingSum(all.taxableCents, totals.taxableCents);
            all.vatCents = saturatingSum(all.vatCents, totals.vatCents);
        }
        row(name, "Iš viso", "", centsText(all.taxableCents), centsText(all.vatCents));
    };
    side("Pirkimai", summary.purchases);
    side("Pardavimai", summary.sales);
    return table;
}
