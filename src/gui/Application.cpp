#include "gui/Application.h"

#include <windows.h>

namespace {

std::string ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string BaseNameWithoutExtension(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

} // namespace

TApplication::TApplication() : FExeName(ModulePath()) {
    FTitle = BaseNameWithoutExtension(FExeName);
}

TApplication& Application() {
    static TApplication application;
    return application;
}
