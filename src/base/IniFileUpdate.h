#pragma once
// Changes to an INI file that reach the disk only as a whole: the writes go to a copy beside the
// file, and Commit puts the copy in its place in one step, so that the file on disk is always
// the old or the new whole file (a crash or power cut meanwhile loses nothing). The copy keeps
// every line, the order and the encoding of the file, as writes to the file itself would. Where
// no copy can be made beside it (a folder that takes no new files, a read-only file), the writes
// go to the file itself, one at a time, as TIniFile's do.
//
//   TIniFileUpdate update(FileName);
//   update.Ini().WriteInteger("Settings", "Hour", 20);
//   update.Commit();     // without it the file stays as it was
#include <optional>
#include <string>

#include "base/IniFile.h"

class TIniFileUpdate {
public:
    explicit TIniFileUpdate(std::string FileName);
    // Removes a copy that was not put in place.
    ~TIniFileUpdate();
    TIniFileUpdate(const TIniFileUpdate&) = delete;
    TIniFileUpdate& operator=(const TIniFileUpdate&) = delete;

    // Reads and writes; its messages name the file, not the copy. Valid until Commit.
    TIniFile& Ini();
    // True when the writes go to the file itself.
    bool InPlace() const { return FCopy.empty(); }
    // Puts the copy in place. Raises EIniFileException "Unable to write to %s" when the file
    // cannot be replaced (it is locked or immutable) or the platform refused a write to the copy;
    // the file then stays as it was.
    void Commit();

private:
    std::string FFileName;
    std::string FCopy;
    std::optional<TIniFile> FIni;
};
