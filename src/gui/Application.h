#pragma once
// The application object: the program's title, its executable's path, and (as the windows need
// them) the main form and the message loop.
#include <string>

class TApplication {
public:
    // Caption of the taskbar button and of the default error box; names the settings folder and
    // the start-with-Windows value. Defaults to the executable's name without extension.
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }

    // Full path of the running executable.
    const std::string& ExeName() const { return FExeName; }

    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

private:
    std::string FTitle;
    std::string FExeName;
};

// The one application object of the process.
TApplication& Application();
