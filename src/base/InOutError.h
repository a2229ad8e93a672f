#pragma once
// A file or folder operation that failed, with the platform's error code.
#include "base/Exception.h"

class EInOutError : public Exception {
public:
    EInOutError(std::string Message, int ErrorCode)
        : Exception(std::move(Message)), ErrorCode(ErrorCode) {}
    int ErrorCode;
};
