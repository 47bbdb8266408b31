#pragma once

#include <string>

#include "base/profile_file.h"
#include "invoices/sheet_readers.h"

// The automatic counterpart counter: numbers for counterparts without a usable code, each the
// counterpart's unique number in the file. "auto_id" in the settings holds the highest number
// ever issued (or more); every process that shares the settings file takes its numbers from
// it under the settings file's lock, so no number is ever issued twice, and the stored value
// never falls below a number issued.
//
// Numbers are taken in blocks, growing as a run keeps asking, so that a run with thousands of
// counterparts without codes writes the settings a few times rather than once per number. When
// the counter goes, the numbers of its block it did not issue are given back if no other
// process took numbers meanwhile; otherwise they stay unused (a gap between files is harmless).
class CounterpartCounter : public CounterpartNumbers {
  public:
    explicit CounterpartCounter(const ProfileFile& settings);
    ~CounterpartCounter() override;
    CounterpartCounter(const CounterpartCounter&) = delete;
    CounterpartCounter& operator=(const CounterpartCounter&) = delete;

    // The next number: always positive, never issued before. Throws RunFailure when the
    // settings cannot be read or written, or when the stored counter cannot go on (not a
    // count, or at the largest number there is).
    std::string issue() override;

    // The largest number an automatic counter issues.
    static constexpr long long kLargest = 9223372036854775807LL;

  private:
    void reserve();

    const ProfileFile& settings_;
    long long last_ = 0;      // the last number issued by this counter; 0 before the first
    long long blockEnd_ = 0;  // the end of the block held (stored in the file), 0 when none
    long long blockSize_;
};
