#include "base/ApplicationHooks.h"

#include <utility>

#include "base/Assert.h"

namespace {

TApplicationHooks& Hooks() {
    static TApplicationHooks hooks;
    return hooks;
}

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

std::string BaseNameWithoutExtension(const std::string& Path) {
    const size_t slash = Path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

} // namespace

void SetApplicationHooks(TApplicationHooks Value) {
    ASSERT(InMainThread());
    Hooks() = std::move(Value);
}

const std::string& ExecutableName() {
    static const std::string name = ModulePath();
    return name;
}

std::string ApplicationTitle() {
    ASSERT(InMainThread());
    return Hooks().Title ? Hooks().Title() : BaseNameWithoutExtension(ExecutableName());
}

void ProcessApplicationMessages() {
    ASSERT(InMainThread());
    if (Hooks().ProcessMessages)
        Hooks().ProcessMessages();
}

HWND ApplicationMainWindow() {
    ASSERT(InMainThread());
    return Hooks().MainWindow ? Hooks().MainWindow() : nullptr;
}

int ApplicationMessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
    ASSERT(InMainThread());
    return Hooks().MessageBox ? Hooks().MessageBox(Text, Caption, Flags) : 0;
}
