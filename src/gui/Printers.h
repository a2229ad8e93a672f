#pragma once
// The process's printer object: the names of the installed printers.
#include "base/StringList.h"

class TPrinter {
public:
    TPrinter() = default;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // One entry per local or connected printer, its name. Read from the spooler on first use
    // and kept: printers installed later do not appear.
    const TStringList& Printers();

private:
    TStringList FPrinters;
    bool FPrintersRead = false;
};

// The one printer object of the process, made on first use.
TPrinter& Printer();
