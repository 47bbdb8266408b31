#include "isaf/check_findings.h"

void CheckFindings::add(CheckFinding finding) {
    if (refused_) {
        return;
    }
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
