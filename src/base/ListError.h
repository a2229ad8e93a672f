#pragma once
// An index outside a list's items.
#include "base/Exception.h"

class EListError : public Exception {
public:
    using Exception::Exception;
    // "List index out of bounds (%d)"
    static EListError IndexOutOfBounds(int Index) {
        return EListError(Format("List index out of bounds (%d)", Index));
    }
};
