#pragma once
// A file or folder operation that failed, with the platform's error code.
#include "base/Exception.h"

class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};
