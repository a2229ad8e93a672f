#pragma once
// The program's text is ANSI (the system's code page); these convert it to and from UTF-16 for
// the wide functions.
//
//   WritePrivateProfileStringW(Widen(section).c_str(), ...);   std::string url = Narrow(wide);
#include <string>

// CodePage names another code page (CP_UTF8); 0 is the system's (CP_ACP).
std::wstring Widen(const std::string& Text, unsigned CodePage = 0);
std::string Narrow(const std::wstring& Text, unsigned CodePage = 0);
