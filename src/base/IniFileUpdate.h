#pragma once
// Changes to an INI file that reach the disk only as a whole, in one save at Commit
// (IniFileSave.h): the file on disk is always the old or the new whole file, and every line the
// changes do not touch keeps its bytes.
//
//   TIniFileUpdate update(FileName);
//   update.Ini().WriteInteger("Settings", "Hour", 20);
//   update.Commit();     // without it the file stays as it was
#include <string>

#include "base/IniFile.h"
#include "base/IniFileSave.h"

class TIniFileUpdate {
public:
    explicit TIniFileUpdate(std::string FileName, TIniFileWrites& Writes = PlatformIniFileWrites())
        : FIni(std::move(FileName)), FWrites(Writes) {}
    TIniFileUpdate(const TIniFileUpdate&) = delete;
    TIniFileUpdate& operator=(const TIniFileUpdate&) = delete;

    // Reads and writes; the writes are kept until Commit.
    TIniFile& Ini() { return FIni; }
    // Saves the writes. Raises EIniFileException "Unable to write to %s" when the file cannot be
    // written; it then stays exactly as it was. Writes that change no byte leave it untouched.
    void Commit() { FIni.SaveChanges(FWrites); }

private:
    class TPending : public TIniFile {
    public:
        explicit TPending(std::string FileName) : TIniFile(std::move(FileName), TDeferred{}) {}
        using TIniFile::SaveChanges;
    };
    TPending FIni;
    TIniFileWrites& FWrites;
};
