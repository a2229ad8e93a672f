#pragma once
// Streams: a sink of bytes (what a download is written into) and a file opened for writing.
//
//   TFileStream stream(fileName, fmCreate);     // created anew, empty
//   stream.WriteBuffer(data, count);            // raises EWriteError when the disk refuses
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/Object.h"
#include "base/Exception.h"
#include "base/Handles.h"

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
// "Cannot create file "%s". %s"
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// "Stream write error"
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class TStream : public TObject {
public:
    // Writes all Count bytes or raises EWriteError.
    virtual void WriteBuffer(const void* Buffer, size_t Count) = 0;
    // Bytes written so far.
    virtual int64_t Size() const = 0;
};

enum TFileMode : uint8_t { fmCreate };

class TFileStream : public TStream {
public:
    // fmCreate: the file is created anew (an existing one is emptied); EFCreateError when it
    // cannot be.
    TFileStream(const std::string& FileName, TFileMode Mode);

    const std::string& FileName() const { return FFileName; }
    void WriteBuffer(const void* Buffer, size_t Count) override;
    int64_t Size() const override { return FSize; }

private:
    std::string FFileName;
    KernelHandle FHandle;
    int64_t FSize = 0;
};
