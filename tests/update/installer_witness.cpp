// Plays a downloaded installer: records that it was started, with its command line and working
// folder, in the file named by its first argument, then ends.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string line = GetCommandLineA();
    // Skip the program's own name (quoted or not).
    size_t pos = 0;
    if (!line.empty() && line[0] == '"')
        pos = line.find('"', 1) + 1;
    else
        pos = line.find(' ');
    std::string args = pos == std::string::npos || pos > line.size() ? "" : line.substr(pos);
    args.erase(0, args.find_first_not_of(' '));
    std::string target = args;
    if (!target.empty() && target[0] == '"')
        target = target.substr(1, target.find('"', 1) - 1);
    else
        target = target.substr(0, target.find(' '));
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string partial = target + ".part";
    {
        std::ofstream out(partial, std::ios::binary);
        out << "args=" << args << "\ncwd=" << folder << "\n";
    }
    MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
