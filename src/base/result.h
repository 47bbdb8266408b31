#pragma once

#include <string>
#include <utility>
#include <variant>

// Why an operation failed, as the user is to read it. An empty description becomes
// "Unknown error": a failure always says something.
struct Failure {
    explicit Failure(std::string text) : message(std::move(text)) {
        if (message.empty()) {
            message = "Unknown error";
        }
    }
    std::string message;
};

// The result of an operation that can fail: its value, or the failure. A function returns a
// value or `Failure{"..."}` and the caller asks ok() before it takes the value.
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT
    static Result failure(std::string message) { return Failure(std::move(message)); }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only after ok() said there is one.
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // The failure's description; empty on success.
    const std::string& message() const {
        static const std::string none;
        return ok() ? none : std::get<1>(state_).message;
    }

  private:
    std::variant<T, Failure> state_;
};

// Success, or the failure's description.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : message_(std::move(failure.message)) {}  // NOLINT: implicit
    static Result success() { return Result(); }
    static Result failure(std::string message) { return Failure(std::move(message)); }

    bool ok() const { return message_.empty(); }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }

  private:
    std::string message_;  // empty on success: a failure always has one
};
