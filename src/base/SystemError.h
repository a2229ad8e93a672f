#pragma once
// The system's text for an error code (GetLastError, WSAGetLastError), without its trailing
// blanks, line break and full stop; "System error <code>" when the system has no text for it.
//
//   throw Exception(SysErrorMessage(GetLastError()));
#include <windows.h>

#include <string>

std::string SysErrorMessage(DWORD Code);
