#pragma once

#include <string>

#include "base/profile_file.h"
#include "invoices/sheet_readers.h"

// The automatic counterpart counter: numbers for counterparts without a usable code. It is
// loaded from "auto_id" when a run starts, and every number issued is written back at once,
// so numbers issued in a run that ends with errors stay used.
class CounterpartCounter : public CounterpartNumbers {
  public:
    explicit CounterpartCounter(const ProfileFile& settings);

    // The next number, already stored in the settings file. Throws RunFailure.
    std::string issue() override;

    const std::string& current() const { return current_; }

  private:
    const ProfileFile& settings_;
    std::string current_;
};
