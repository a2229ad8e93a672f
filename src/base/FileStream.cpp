#include "base/FileStream.h"

#include "base/Assert.h"
#include "base/SystemError.h"

TFileStream::TFileStream(const std::string& FileName, TFileMode) : FFileName(FileName) {
    HANDLE file = CreateFileA(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(),
                                   SysErrorMessage(GetLastError()).c_str()));
    FHandle.reset(file);
}

void TFileStream::WriteBuffer(const void* Buffer, size_t Count) {
    ASSERT(FHandle); // the constructor raised otherwise
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
