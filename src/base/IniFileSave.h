#pragma once
// How an INI file's new text reaches the disk without ever losing the file. The text goes into
// one copy with a fixed name beside the file (beside the target of a link), every write checked
// and flushed; only a whole copy takes the file's place, in one step, with the file's attributes,
// so a link stays a link and the disk holds the old or the new whole file at every moment. Where
// the folder takes no new file, the file is written in place, once the disk is known to have room
// for the whole text; a write that fails there puts the old text back.
#include <windows.h>

#include <cstdint>
#include <string>

// The platform calls a save rests on. A test replaces them to play what the platform will not do
// on demand: a refused write or flush, a full disk, a refused replacement.
class TIniFileWrites {
public:
    virtual ~TIniFileWrites() = default;
    // True when all Size bytes were written.
    virtual bool Write(HANDLE File, const char* Data, DWORD Size);
    virtual bool Flush(HANDLE File);
    // The bytes the caller may still write on the disk that holds Folder.
    virtual bool FreeSpace(const std::string& Folder, uint64_t& Bytes);
    // Puts Copy in File's place in one step.
    virtual bool Replace(const std::string& Copy, const std::string& File);
};

// The platform's own calls.
TIniFileWrites& PlatformIniFileWrites();

// The file the name stands for: a name without a folder lies in the Windows folder, as the
// private-profile functions look it up there.
std::string IniFilePath(const std::string& FileName);

// The file's bytes. False when it cannot be read; Exists tells a missing file from one that is
// there but refuses to be read.
bool ReadIniFile(const std::string& FileName, std::string& Bytes, bool& Exists);

// Makes Bytes the file's whole content as above and flushes the platform's cached copy of it.
// Raises EIniFileException "Unable to write to %s" (FileName) when it cannot, the file then
// exactly as it was. A file with the read-only attribute is refused.
void SaveIniFile(const std::string& FileName, const std::string& Bytes,
                 TIniFileWrites& Writes = PlatformIniFileWrites());

// Removes the copy a save cut off part-way left behind.
void RemoveIniFileCopy(const std::string& FileName);
