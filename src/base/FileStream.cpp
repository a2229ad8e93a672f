#include "base/FileStream.h"

namespace {

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : "System error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result;
}

} // namespace

TFileStream::TFileStream(const std::string& FileName, TFileMode) : FFileName(FileName) {
    HANDLE file = CreateFileA(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(),
                                   SystemErrorText(GetLastError()).c_str()));
    FHandle.reset(file);
}

void TFileStream::WriteBuffer(const void* Buffer, size_t Count) {
    const auto* p = static_cast<const char*>(Buffer);
    while (Count > 0) {
        const DWORD part = Count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(Count);
        DWORD written = 0;
        if (!WriteFile(FHandle.get(), p, part, &written, nullptr) || written == 0)
            throw EWriteError("Stream write error");
        p += written;
        Count -= written;
        FSize += written;
    }
}
