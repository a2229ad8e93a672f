#include "gui/Printers.h"

#include "base/Handles.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

const TStringList& TPrinter::Printers() {
    if (FPrintersRead)
        return FPrinters;
    FPrintersRead = true;
    // The spooler's library is loaded only here, so a program that never asks for the printers
    // does not pay for it at start.
    const ModuleHandle spooler(LoadLibraryA("winspool.drv"));
    if (!spooler)
        return FPrinters;
    using EnumPrintersFn = BOOL(WINAPI*)(DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    const auto enumPrinters = reinterpret_cast<EnumPrintersFn>(
        reinterpret_cast<void*>(GetProcAddress(spooler.get(), "EnumPrintersA")));
    if (!enumPrinters)
        return FPrinters;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &count);
    // A printer added between the two calls makes the second one ask for more.
    for (int attempt = 0; attempt < 4 && needed > 0; ++attempt) {
        std::vector<BYTE> buffer(needed);
        if (enumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                if (info[i].pPrinterName)
                    FPrinters.Add(info[i].pPrinterName);
            }
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return FPrinters;
}

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}
