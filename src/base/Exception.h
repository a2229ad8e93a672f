#pragma once
// The base of every exception the program raises: it carries only its message.
#include <cstdarg>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// printf-style formatting into a std::string; used to build exception messages.
std::string Format(const char* Format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* Format, va_list Args);
