#include "invoices/warnings.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "base/text.h"
#include "invoices/code_checks.h"
#include "invoices/tax_rates.h"

namespace {

// Amounts beyond any real invoice are not judged: value times rate then stays in range.
constexpr std::int64_t kJudgedCents = 1'000'000'000'000'000;  // ten trillion euros

// "1250,00" (a decimal comma, as Lithuanian sentences write amounts).
std::string euros(std::int64_t cents) {
    std::string text = Money{cents}.text();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string quoted(std::string_view text) {
    return "„" + std::string(text) + "“";
}

bool given(std::string_view code) {
    return !code.empty() && code != "ND";
}

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return upper;
}

// "įmonės kodo 300001234" or "asmens kodo 38001010009", as the length tells.
std::string codeOf(std::string_view code) {
    return (code.size() == 9 ? "įmonės kodo " : "asmens kodo ") + std::string(code);
}

std::string wrongCheckDigit(std::string_view whose, std::string_view code) {
    return std::string(whose) +
           " kontrolinis skaitmuo neteisingas (pagal kitus skaitmenis turėtų būti " +
           std::to_string(lithuanianCheckDigit(code.substr(0, code.size() - 1))) + ")";
}

// How the tax administration matches two registers' invoices: the side, the counterpart (by
// VAT code, else company code, else name without regard to case) and the number with only its
// letters and digits, upper-cased.
void duplicateKey(const InvoiceView& invoice, std::string& key) {
    key.clear();
    key += invoice.side == InvoiceSide::Purchase ? 'P' : 'S';
    if (given(invoice.vatCode)) {
        key += 'V';
        key += trimmed(invoice.vatCode);
    } else if (given(invoice.companyCode)) {
        key += 'C';
        key += trimmed(invoice.companyCode);
    } else {
        key += 'N';
        key += caseFolded(given(invoice.name) ? trimmed(invoice.name) : std::string_view());
    }
    key += '\x1f';  // no code or folded name holds it
    key += lettersAndDigitsUpperCased(invoice.number);
}

// Each invoice that repeats an earlier one, with the first of its kind, ordered by the later.
// Only hashes are kept for the whole side; keys are made again where two hashes meet.
std::vector<std::pair<std::size_t, std::size_t>> findDuplicates(const WarningSubject& invoices) {
    const std::size_t count = invoices.invoiceCount();
    std::vector<std::pair<std::size_t, std::size_t>> hashes;  // (hash, index)
    hashes.reserve(count);
    std::string key;
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < count; ++i) {
        duplicateKey(invoices.invoice(i), key);
        hashes.emplace_back(hash(key), i);
    }
    std::sort(hashes.begin(), hashes.end());
    std::vector<std::pair<std::size_t, std::size_t>> duplicates;
    std::vector<std::pair<std::string, std::size_t>> group;  // (key, first with that key)
    for (std::size_t begin = 0; begin < hashes.size();) {
        std::size_t end = begin + 1;
        while (end < hashes.size() && hashes[end].first == hashes[begin].first) {
            ++end;
        }
        if (end - begin > 1) {
            group.clear();
            for (std::size_t i = begin; i < end; ++i) {  // in the order of the invoices
                const std::size_t index = hashes[i].second;
                duplicateKey(invoices.invoice(index), key);
                const auto first = std::find_if(group.begin(), group.end(), [&](const auto& seen) {
                    return seen.first == key;
                });
                if (first == group.end()) {
                    group.emplace_back(key, index);
                } else {
                    duplicates.emplace_back(index, first->second);
                }
            }
        }
        begin = end;
    }
    std::sort(duplicates.begin(), duplicates.end());
    return duplicates;
}

// "Nr" followed by a full stop, a blank or a digit, in any case.
bool holdsNr(std::string_view number) {
    for (std::size_t i = 0; i + 2 < number.size(); ++i) {
        const char n = number[i];
        const char r = number[i + 1];
        const char next = number[i + 2];
        if ((n == 'N' || n == 'n') && (r == 'R' || r == 'r') &&
            (next == '.' || next == ' ' || (next >= '0' && next <= '9'))) {
            return true;
        }
    }
    return false;
}

std::int64_t taxableTotal(const InvoiceView& invoice) {
    std::int64_t total = 0;
    for (const TaxLine& line : invoice.lines) {
        if (std::llabs(line.value.cents) > kJudgedCents) {
            return 0;
        }
        total += line.value.cents;
    }
    return total;
}

// The VAT amount against value times the rate of the line's code (not the rate of the sheet
// it came from): a difference of more than 0.05 € that is also more than 0.5 % of the
// expected amount. Nothing for a code without a known rate, or without a VAT amount.
std::optional<std::string> vatAmountWarning(const TaxLine& line) {
    const std::optional<int> rate = taxCodeRate(line.code);
    if (!rate || !line.vatAmount) {
        return std::nullopt;
    }
    const std::int64_t value = line.value.cents;
    const std::int64_t vat = line.vatAmount->cents;
    if (std::llabs(value) > kJudgedCents || std::llabs(vat) > kJudgedCents) {
        return std::nullopt;
    }
    // Rounded half away from zero, as the amounts themselves are.
    const std::int64_t hundredths = value * *rate;
    const std::int64_t expected = (hundredths + (hundredths < 0 ? -50 : 50)) / 100;
    const std::int64_t difference = std::llabs(vat - expected);
    if (difference <= 5 || difference * 200 <= std::llabs(expected)) {
        return std::nullopt;
    }
    return "PVM suma " + euros(vat) + " €, o " + std::to_string(*rate) + " % nuo " + euros(value) +
           " € yra " + euros(expected) + " €";
}

std::optional<std::string> ltVatCodeWarning(std::string_view vatCode) {
    switch (ltVatCodeFault(vatCode.substr(2))) {
        case LtVatCodeFault::None:
            return std::nullopt;
        case LtVatCodeFault::Form:
            return "PVM mokėtojo kodas " + std::string(vatCode) +
                   " neteisingas: po LT turi būti 9 arba 12 skaitmenų";
        case LtVatCodeFault::Marker:
            return "PVM mokėtojo kodas " + std::string(vatCode) +
                   " neteisingas: priešpaskutinis skaitmuo turi būti 1";
        case LtVatCodeFault::CheckDigit:
            return wrongCheckDigit("PVM mokėtojo kodo " + std::string(vatCode), vatCode.substr(2));
    }
    return std::nullopt;
}

std::string countryPrefixWarning(std::string_view country, std::string_view vatCode,
                                 std::string_view prefix) {
    std::string text = "šalies kodas " + std::string(country) + " nesutampa su PVM mokėtojo kodo " +
                       std::string(vatCode) + " priešdėliu " + std::string(prefix);
    if (prefix == "EL") {
        text += " (Graikija, šalies kodas GR)";
    } else if (prefix == "XI") {
        text += " (Šiaurės Airija, šalies kodas GB)";
    }
    return text;
}

class Checker {
  public:
    Checker(const WarningSubject& invoices, Date today, WarningSink& sink)
        : invoices_(invoices), today_(today), sink_(sink) {}

    void run() {
        const auto duplicates = findDuplicates(invoices_);
        auto duplicate = duplicates.begin();
        const std::size_t count = invoices_.invoiceCount();
        for (index_ = 0; index_ < count; ++index_) {
            std::optional<std::size_t> first;
            if (duplicate != duplicates.end() && duplicate->first == index_) {
                first = duplicate->second;
                ++duplicate;
            }
            check(invoices_.invoice(index_), first);
        }
    }

  private:
    void warn(WarningCode code, InvoiceField field, std::string text, std::size_t taxLine = 0) {
        sink_.add({code, index_, field, taxLine, std::move(text)});
    }

    // In the order of the fields, as the cells lie in a row.
    void check(const InvoiceView& invoice, std::optional<std::size_t> duplicateOf) {
        const bool purchase = invoice.side == InvoiceSide::Purchase;
        if (invoice.date && today_ < *invoice.date) {
            warn(WarningCode::FutureDate, InvoiceField::Date,
                 "sąskaitos data " + invoice.date->text() + " vėlesnė nei šiandien (" +
                     today_.text() + ")");
        }

        if (duplicateOf) {
            warn(WarningCode::Duplicate, InvoiceField::Number,
                 std::string("galimas dublikatas: tas pats ") +
                     (purchase ? "tiekėjas" : "pirkėjas") + " ir numeris " +
                     quoted(lettersAndDigitsUpperCased(invoice.number)) +
                     " (lyginant tik raides ir skaitmenis) kaip " +
                     invoices_.placeName(*duplicateOf, InvoiceField::Number));
        }
        if (holdsNr(invoice.number)) {
            warn(WarningCode::NrInNumber, InvoiceField::Number,
                 "numeryje " + quoted(invoice.number) +
                     " yra „Nr“: jo rašyti nerekomenduojama (ne ABC Nr.123, o ABC123)");
        }

        const std::string_view type = trimmed(invoice.type);
        if (type == "KS" || type == "DS") {
            const std::int64_t total = taxableTotal(invoice);
            if (type == "KS" && total > 0) {
                warn(WarningCode::CreditDebitSign, InvoiceField::Type,
                     "kreditinė sąskaita (KS), bet apmokestinamoji vertė teigiama (" +
                         euros(total) + " €)");
            } else if (type == "DS" && total < 0) {
                warn(WarningCode::CreditDebitSign, InvoiceField::Type,
                     "debetinė sąskaita (DS), bet apmokestinamoji vertė neigiama (" + euros(total) +
                         " €)");
            }
        }

        if (purchase && invoice.registrationDate) {
            const Date& registered = *invoice.registrationDate;
            if (invoice.registrationFromEmptyCell && invoice.date && *invoice.date < registered) {
                warn(WarningCode::LateRegistration, InvoiceField::RegistrationDate,
                     "sąskaita išrašyta " + invoice.date->text() +
                         ", anksčiau nei laikotarpis, o registravimo data neįrašyta: įtraukta "
                         "kaip įregistruota " +
                         registered.text() +
                         "; įrašykite tikrąją datą, kad kito laikotarpio rinkmenoje sąskaita "
                         "nepasikartotų");
            } else if (!invoice.registrationFromEmptyCell && today_ < registered) {
                warn(WarningCode::FutureDate, InvoiceField::RegistrationDate,
                     "registravimo data " + registered.text() + " vėlesnė nei šiandien (" +
                         today_.text() + ")");
            }
        }

        const std::string vatCode = upperAscii(trimmed(invoice.vatCode));
        if (vatCode.starts_with("LT")) {
            if (auto text = ltVatCodeWarning(vatCode)) {
                warn(WarningCode::LtVatCode, InvoiceField::VatCode, std::move(*text));
            }
        }

        // Only a Lithuanian counterpart's code: other states' registers have codes of nine or
        // eleven digits of their own.
        const std::string country = upperAscii(trimmed(invoice.country));
        const std::string_view companyCode = trimmed(invoice.companyCode);
        if ((country.empty() || country == "LT") && hasLithuanianCodeForm(companyCode) &&
            !hasRightCheckDigit(companyCode)) {
            warn(WarningCode::CheckDigit, InvoiceField::CompanyCode,
                 wrongCheckDigit(codeOf(companyCode), companyCode));
        }

        if (vatCode.size() >= 2 && !country.empty()) {
            const std::string_view prefix = std::string_view(vatCode).substr(0, 2);
            if (isEuVatPrefix(prefix) && !countryMatchesVatPrefix(country, prefix)) {
                warn(WarningCode::CountryPrefix, InvoiceField::Country,
                     countryPrefixWarning(country, vatCode, prefix));
            }
        }

        for (std::size_t line = 0; line < invoice.lines.size(); ++line) {
            if (auto text = vatAmountWarning(invoice.lines[line])) {
                warn(WarningCode::VatAmount, InvoiceField::VatAmount, std::move(*text), line);
            }
        }
    }

    const WarningSubject& invoices_;
    Date today_;
    WarningSink& sink_;
    std::size_t index_ = 0;
};

}  // namespace

std::string_view warningCodeName(WarningCode code) {
    switch (code) {
        case WarningCode::Duplicate:
            return "duplicate";
        case WarningCode::NrInNumber:
            return "nr_in_number";
        case WarningCode::CheckDigit:
            return "check_digit";
        case WarningCode::LtVatCode:
            return "lt_vat_code";
        case WarningCode::CountryPrefix:
            return "country_prefix";
        case WarningCode::VatAmount:
            return "vat_amount";
        case WarningCode::CreditDebitSign:
            return "credit_debit_sign";
        case WarningCode::LateRegistration:
            return "late_registration";
        case WarningCode::FutureDate:
            return "future_date";
    }
    return "warning";
}

void findInvoiceWarnings(const WarningSubject& invoices, Date today, WarningSink& sink) {
    Checker(invoices, today, sink).run();
}

std::optional<std::string> payerCodeWarning(std::string_view code) {
    code = trimmed(code);
    if (!hasLithuanianCodeForm(code) || hasRightCheckDigit(code)) {
        return std::nullopt;
    }
    return wrongCheckDigit("Mokėtojo " + codeOf(code), code);
}
