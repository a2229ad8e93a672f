#pragma once
// The program's text is ANSI (the system's code page); these convert it to and from UTF-16 for
// the wide functions.
//
//   WritePrivateProfileStringW(Widen(section).c_str(), ...);   std::string url = Narrow(wide);
#include <string>

std::wstring Widen(const std::string& Text);
std::string Narrow(const std::wstring& Text);
