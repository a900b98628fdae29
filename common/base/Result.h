// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace velnet {

// Why something failed, in words for the user or the journal: what was tried,
// on what, and the system's reason ("cannot write /x/y: Permission denied").
struct Error
{
    std::string reason;
};

inline Error fail(std::string reason)
{
    return Error{std::move(reason)};
}

// The one way code that can fail with a reason reports it: the value, or the
// reason it could not be had. Ignoring one is a warning; where that is meant,
// say so with (void) and a comment.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // Empty when the value is there.
    const std::string& error() const
    {
        static const std::string none;
        return ok() ? none : std::get<1>(state_).reason;
    }

private:
    std::variant<T, Error> state_;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : failed_(true), reason_(std::move(error.reason)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

using Outcome = Result<void>;

} // namespace velnet
