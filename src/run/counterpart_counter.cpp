#include "run/counterpart_counter.h"

#include <charconv>
#include <limits>

#include "run/generation_run.h"

CounterpartCounter::CounterpartCounter(const ProfileFile& settings)
    : settings_(settings), current_(settings.read("NUSTATYMAI", "auto_id")) {
    if (current_.empty()) {
        current_.push_back('0');  // not = "0": GCC 12 -O3 warns (-Wrestrict) on that falsely
    }
}

std::string CounterpartCounter::issue() {
    long long value = 0;
    const char* end = current_.data() + current_.size();
    const auto [ptr, ec] = std::from_chars(current_.data(), end, value);
    if (ec != std::errc{} || ptr != end || value == std::numeric_limits<long long>::max()) {
        value = 0;  // a counter that is not a decimal number starts again from 0
    }
    current_ = std::to_string(value + 1);
    const Status written = settings_.write("NUSTATYMAI", "auto_id", current_);
    if (!written.ok()) {
        throw RunFailure(RunOutcome::SettingsNotWritable, written.message());
    }
    return current_;
}
