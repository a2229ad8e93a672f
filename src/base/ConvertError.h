#pragma once
// A value that does not make a valid date or time ("'%s' is not a valid time", "Invalid argument
// to time encode").
#include "base/Exception.h"

class EConvertError : public Exception {
public:
    using Exception::Exception;
};
