#include "run/counterpart_counter.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "run/generation_run.h"

namespace {

constexpr std::string_view kKey = "auto_id";
// The first block covers a typical month; each next one is twice as large, up to the largest.
constexpr long long kFirstBlock = 16;
constexpr long long kLargestBlock = 4096;

// The stored counter as a count of numbers issued: digits, optionally after a "+" (as the
// Windows profile functions read it); empty is 0. Nothing for anything else (a sign "-",
// letters, a number beyond the largest), from which no number can be issued safely: the next
// one could repeat one in a saved file.
std::optional<long long> storedCount(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.empty()) {
            return std::nullopt;
        }
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > (CounterpartCounter::kLargest - (c - '0')) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

CounterpartCounter::CounterpartCounter(const ProfileFile& settings)
    : settings_(settings), blockSize_(kFirstBlock) {}

CounterpartCounter::~CounterpartCounter() {
    if (blockEnd_ == 0 || last_ == blockEnd_) {
        return;
    }
    // Give back what was not issued, unless someone took numbers after this block: then the
    // stored value is theirs and must not fall. A failure only leaves a gap.
    const long long end = blockEnd_;
    const long long last = last_;
    try {
        (void)settings_.update("NUSTATYMAI", kKey,
                               [end, last](const std::string& stored, std::string& replacement) {
                                   if (storedCount(stored) != end) {
                                       return Status::failure("taken meanwhile");
                                   }
                                   replacement = std::to_string(last);
                                   return Status::success();
                               });
    } catch (...) {
        // Out of memory while giving back: the numbers stay unused.
    }
}

std::string CounterpartCounter::issue() {
    if (last_ == blockEnd_) {
        reserve();
    }
    return std::to_string(++last_);
}

// Takes the next block under the settings file's lock, from the value stored now.
void CounterpartCounter::reserve() {
    bool cannotGoOn = false;
    long long first = 0;
    long long end = 0;
    const long long size = blockSize_;
    const Status taken = settings_.update(
        "NUSTATYMAI", kKey, [&](const std::string& stored, std::string& replacement) {
            const auto count = storedCount(stored);
            if (!count || *count == kLargest) {
                cannotGoOn = true;
                const std::string path = settings_.path();
                return Status::failure(
                    !count ? "Nustatymų faile " + path + " automatinis numeris auto_id=" + stored +
                                 " nėra neneigiamas sveikasis skaičius: nauji numeriai galėtų "
                                 "kartotis, todėl jų neišduodame. Įrašykite didžiausią jau "
                                 "išduotą numerį."
                           : "Nustatymų faile " + path + " automatinis numeris auto_id=" + stored +
                                 " nebegali didėti (didžiausias galimas " +
                                 std::to_string(kLargest) + ").");
            }
            first = *count + 1;
            end = *count + std::min(size, kLargest - *count);
            replacement = std::to_string(end);
            return Status::success();
        });
    if (!taken.ok()) {
        throw RunFailure(
            cannotGoOn ? RunOutcome::CounterCannotGoOn : RunOutcome::SettingsNotWritable,
            taken.message());
    }
    last_ = first - 1;
    blockEnd_ = end;
    blockSize_ = std::min(blockSize_ * 2, kLargestBlock);
}
