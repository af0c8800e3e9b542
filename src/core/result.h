#pragma once

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

// A failure as the user reads it: one lower-case line saying what could not
// be done and why ("could not write out/a.png: disk full").
struct Failure {
    std::string message;
};

inline Failure Fail(std::string message)
{
    return {std::move(message)};
}

// What an operation that can fail hands back: its value, or the failure the
// user is told about. The one way the file formats, the image codecs and the
// export tool report what went wrong.
template <class T = void> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(std::move(failure.message)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

private:
    std::optional<T> value_;
    std::string error_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), error_(std::move(failure.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

private:
    bool failed_ = false;
    std::string error_;
};

using Status = Result<void>;

// Runs `work`, which returns a Result, and hands back what it returns;
// whatever it throws becomes the failure instead. Work on another thread
// goes through this: its caller waits for an answer (a window stays "busy"
// until one comes), and an exception would never give one.
template <class Work> auto Guarded(Work&& work) -> decltype(work())
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        const std::string what = e.what();
        return Fail(what.empty() ? "an unexpected error" : what);
    } catch (...) {
        return Fail("an unexpected error");
    }
}

} // namespace velmora
