#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// What a check of an i.SAF file found, one sentence each.
enum class FindingKind {
    NotIsaf,  // why the file was not checked: not XML, not an i.SAF file, or refused as unsafe
    Schema,   // the file breaks XML's rules or the i.SAF schema
    Logical,  // the file breaks a rule the schema cannot express
    Warning,  // advice: what the tax administration's cross-check would flag
};

struct CheckFinding {
    FindingKind kind = FindingKind::Schema;
    long line = 0;        // the line of the file; 0 for the file as a whole
    std::string element;  // the element it is about, where one is named
    std::string invoice;  // the invoice number, for a finding about one invoice
    std::string text;     // a Lithuanian sentence, or libxml2's own text for a rare error; one
                          // line (control characters of quoted values become spaces)
};

// The findings of one check in the order found. Beyond a fixed number they are only counted,
// so that a file broken throughout fills neither the memory nor the screen.
class CheckFindings {
  public:
    static constexpr size_t kListed = 10000;

    void add(CheckFinding finding);
    // Drops everything found so far: the file is refused for the one reason given.
    void refuse(CheckFinding reason);

    const std::vector<CheckFinding>& listed() const { return listed_; }
    std::vector<CheckFinding> takeListed() { return std::move(listed_); }
    size_t notListed() const { return notListed_; }
    // Listed or not.
    size_t errors() const { return errors_; }
    size_t warnings() const { return warnings_; }
    bool refused() const { return refused_; }

  private:
    std::vector<CheckFinding> listed_;
    size_t notListed_ = 0;
    size_t errors_ = 0;
    size_t warnings_ = 0;
    bool refused_ = false;
};
