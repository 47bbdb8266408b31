#pragma once

#include <string>
#include <utility>

// The result of an operation that can fail outside a generation run: success, or the
// failure's description as the user is to read it.
class [[nodiscard]] Status {
  public:
    static Status success() { return Status{}; }
    static Status failure(std::string message) { return Status{std::move(message)}; }

    bool ok() const { return message_.empty(); }
    const std::string& message() const { return message_; }

  private:
    Status() = default;
    explicit Status(std::string message) : message_(std::move(message)) {
        if (message_.empty()) {
            message_ = "Unknown error";
        }
    }
    std::string message_;
};
