#include "isaf/check_findings.h"

#include <algorithm>

void CheckFindings::add(CheckFinding finding) {
    if (refused_) {
        return;
    }
    // Every finding is shown as one line, whatever values from the file it quotes.
    std::replace_if(
        finding.text.begin(), finding.text.end(),
        [](char c) { return static_cast<unsigned char>(c) < ' '; }, ' ');
    ++(finding.kind == FindingKind::Warning ? warnings_ : errors_);
    if (listed_.size() < kListed) {
        listed_.push_back(std::move(finding));
    } else {
        ++notListed_;
    }
}

void CheckFindings::refuse(CheckFinding reason) {
    if (refused_) {
        return;
    }
    *this = CheckFindings();
    reason.kind = FindingKind::NotIsaf;
    add(std::move(reason));
    refused_ = true;
}
