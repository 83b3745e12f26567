#pragma once

// Bytes in and out: decoding a picture from bytes (the only Qt below the windows), writing files
// whole, and the formats the converter writes and reads back: BMP, PNG, the ".bin" and ".tim"
// screen files, the ".cas" program file. Uses core/ (and Qt Gui inside the picture decoder and
// PNG encoder only). Every read or write reports through Result.

#include <string>
#include <utility>
#include <variant>

namespace vorbix {

// Why a file could not be read or written.
struct Error {
    std::string path;  // the file concerned; empty when the trouble is in bytes already read
    int code = 0;      // the system's error number, 0 when the system reported none
    std::string text;  // the whole message for the user, naming the path where there is one
};

// A value, or the error that kept it from being made.
template <typename T = std::monostate>
class Result {
public:
    Result() requires std::is_default_constructible_v<T> : outcome_(T{}) {}
    Result(T value) : outcome_(std::move(value)) {}
    Result(Error error) : outcome_(std::move(error)) {}

    bool Ok() const { return std::holds_alternative<T>(outcome_); }
    explicit operator bool() const { return Ok(); }
    const T& Value() const { return std::get<T>(outcome_); }
    T& Value() { return std::get<T>(outcome_); }
    const Error& Failure() const { return std::get<Error>(outcome_); }

private:
    std::variant<T, Error> outcome_;
};

// A write or check that gives nothing back but success.
using Status = Result<>;

}  // namespace vorbix
