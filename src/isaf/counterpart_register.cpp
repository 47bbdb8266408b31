#include "isaf/counterpart_register.h"

#include <stdexcept>

#include "base/collation.h"

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A code in a form fit for comparing: trimmed, upper-case; empty for "ND" (no data).
std::string codeOf(std::string_view text) {
    std::string code(trimmed(text));
    for (char& c : code) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return code == "ND" ? std::string() : code;
}

bool sameCounterpart(const CheckedCounterpart& a, const CheckedCounterpart& b) {
    const std::string vatA = codeOf(a.vatCode);
    const std::string vatB = codeOf(b.vatCode);
    if (!vatA.empty() && !vatB.empty()) {
        return vatA == vatB;
    }
    const std::string registrationA = codeOf(a.registrationNumber);
    const std::string registrationB = codeOf(b.registrationNumber);
    if (!registrationA.empty() && !registrationB.empty()) {
        return registrationA == registrationB;
    }
    // Without a name ("ND" where the invoice gives none) nothing tells them apart.
    const std::string_view nameA = trimmed(a.name);
    const std::string_view nameB = trimmed(b.name);
    if (nameA.empty() || nameB.empty() || nameA == "ND" || nameB == "ND") {
        return true;
    }
    return compareIgnoringCase(nameA, nameB) == 0;
}

std::string quoted(std::string_view text) {
    return "„" + std::string(text) + "“";
}

}  // namespace

CounterpartRegister::CounterpartRegister(InvoiceSide side, std::vector<CheckedCounterpart>& table)
    : side_(side), table_(table) {}

uint32_t CounterpartRegister::add(CheckedCounterpart counterpart, long line,
                                  CheckFindings& findings) {
    std::string key;
    for (const std::string* field :
         {&counterpart.id, &counterpart.vatCode, &counterpart.registrationNumber, &counterpart.name,
          &counterpart.country}) {
        key += *field;
        key += '\0';
    }
    const auto [at, added] = indexOf_.try_emplace(std::move(key), 0);
    if (!added) {
        return at->second;
    }
    if (table_.size() >= UINT32_MAX) {
        throw std::length_error("too many counterparts");
    }
    at->second = static_cast<uint32_t>(table_.size());
    table_.push_back(std::move(counterpart));
    const Seen seen{at->second, line};
    const CheckedCounterpart& stored = table_.back();
    if (trimmed(stored.id).empty()) {
        return seen.index;
    }
    checkId(seen, findings);
    const std::string vat = codeOf(stored.vatCode);
    const std::string registration = codeOf(stored.registrationNumber);
    // One finding for a counterpart is enough, even when both of its codes tell.
    if (vat.empty() || !checkCode("PVM " + vat, seen, findings)) {
        if (!registration.empty()) {
            checkCode("kodas " + registration, seen, findings);
        }
    }
    return seen.index;
}

void CounterpartRegister::checkId(const Seen& seen, CheckFindings& findings) {
    const CheckedCounterpart& counterpart = table_[seen.index];
    const auto [first, added] =
        firstWithId_.try_emplace(std::string(trimmed(counterpart.id)), seen);
    if (added) {
        return;
    }
    const CheckedCounterpart& other = table_[first->second.index];
    if (sameCounterpart(other, counterpart)) {
        return;
    }
    const bool purchase = side_ == InvoiceSide::Purchase;
    findings.add(
        {FindingKind::Logical,
         seen.line,
         purchase ? "SupplierID" : "CustomerID",
         {},
         std::string(purchase ? "SupplierID " : "CustomerID ") + quoted(trimmed(counterpart.id)) +
             " naudojamas dviem skirtingiems " + (purchase ? "pardavėjams: " : "pirkėjams: ") +
             describe(other, first->second.line) + " ir " + describe(counterpart, 0) + "."});
}

bool CounterpartRegister::checkCode(const std::string& key, const Seen& seen,
                                    CheckFindings& findings) {
    const auto [first, added] = firstWithCode_.try_emplace(key, seen);
    if (added) {
        return false;
    }
    const CheckedCounterpart& counterpart = table_[seen.index];
    const CheckedCounterpart& other = table_[first->second.index];
    if (trimmed(other.id) == trimmed(counterpart.id) || !sameCounterpart(other, counterpart)) {
        return false;
    }
    const bool purchase = side_ == InvoiceSide::Purchase;
    const char* idName = purchase ? "SupplierID" : "CustomerID";
    findings.add({FindingKind::Logical,
                  seen.line,
                  idName,
                  {},
                  std::string(purchase ? "Pardavėjas " : "Pirkėjas ") + describe(counterpart, 0) +
                      " nurodytas su dviem " + idName + ": " + quoted(trimmed(other.id)) +
                      " (eilutė " + std::to_string(first->second.line) + ") ir " +
                      quoted(trimmed(counterpart.id)) + "."});
    return true;
}

// „Name“ (the code that tells the counterpart apart, and the line where the file names it).
std::string CounterpartRegister::describe(const CheckedCounterpart& counterpart, long line) const {
    std::vector<std::string> details;
    const std::string vat = codeOf(counterpart.vatCode);
    const std::string registration = codeOf(counterpart.registrationNumber);
    if (!vat.empty()) {
        details.push_back("PVM kodas " + vat);
    } else if (!registration.empty()) {
        details.push_back("kodas " + registration);
    }
    if (line > 0) {
        details.push_back("eilutė " + std::to_string(line));
    }
    std::string text = quoted(trimmed(counterpart.name));
    for (size_t i = 0; i < details.size(); ++i) {
        text += (i == 0 ? " (" : ", ") + details[i];
    }
    return details.empty() ? text : text + ")";
}
