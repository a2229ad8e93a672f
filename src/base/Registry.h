#pragma once
// A registry accessor: one root key, at most one open key, typed values.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Variant.h"

// A value of the wrong kind or size, or a read or write the platform refused.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(REGSAM Access = KEY_ALL_ACCESS) : FAccess(Access) {}
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Root of the key paths; HKEY_CURRENT_USER by default. Setting it closes the open key.
    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);
    REGSAM Access() const { return FAccess; }
    void SetAccess(REGSAM Value) { FAccess = Value; }
    // The open key, or nullptr.
    HKEY CurrentKey() const { return FCurrentKey; }

    // Opens Key under RootKey with Access (a leading "\" is dropped; an empty path opens the root
    // itself). With CanCreate a missing key is created. Closes the key open before. False when
    // the key cannot be opened.
    bool OpenKey(const std::string& Key, bool CanCreate);
    // Opens Key for reading only (KEY_READ, with the registry view flags of Access), as a reader
    // must where full access is refused to the user. False when the key cannot be opened.
    bool OpenKeyReadOnly(const std::string& Key);
    void CloseKey();

    // On the open key.
    // Names of its subkeys, resp. its values, in the order the registry enumerates them; none
    // when no key is open.
    std::vector<std::string> GetKeyNames() const;
    std::vector<std::string> GetValueNames() const;
    bool ValueExists(const std::string& Name) const;
    bool DeleteValue(const std::string& Name);

    // Reads raise ERegistryException "Invalid data type for '%s'" for a value of another kind or
    // size and "Failed to get data for '%s'" when the read fails (also for a missing value, except
    // that ReadString gives empty text for a missing value).
    std::string ReadString(const std::string& Name) const; // REG_SZ or REG_EXPAND_SZ, unexpanded
    int32_t ReadInteger(const std::string& Name) const;    // REG_DWORD
    bool ReadBool(const std::string& Name) const;          // REG_DWORD, non-zero is True
    double ReadFloat(const std::string& Name) const;       // 8-byte REG_BINARY double
    int64_t ReadCurrency(const std::string& Name) const;   // 8-byte REG_BINARY, times 10,000
    TDateTime ReadDateTime(const std::string& Name) const; // 8-byte REG_BINARY double
    TDateTime ReadDate(const std::string& Name) const { return ReadDateTime(Name); }
    TDateTime ReadTime(const std::string& Name) const { return ReadDateTime(Name); }

    // Writes raise ERegistryException "Failed to set data for '%s'" when refused.
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    void WriteInteger(const std::string& Name, int32_t Value);
    void WriteBool(const std::string& Name, bool Value);
    void WriteFloat(const std::string& Name, double Value);
    void WriteCurrency(const std::string& Name, int64_t Value);
    void WriteDateTime(const std::string& Name, TDateTime Value);
    void WriteDate(const std::string& Name, TDateTime Value) { WriteDateTime(Name, Value); }
    void WriteTime(const std::string& Name, TDateTime Value) { WriteDateTime(Name, Value); }

    // Test seam: the call that opens or creates a key (RegOpenKeyExA / RegCreateKeyExA by
    // default). Lets a test play a key that refuses the asked access, which Wine cannot.
    using TOpenKeyFunc = LONG (*)(HKEY Root, const char* Path, bool CanCreate, REGSAM Access,
                                  HKEY* Result);
    // Installs Func (nullptr restores the real calls) and returns the one installed before.
    static TOpenKeyFunc SetOpenKeyFunc(TOpenKeyFunc Func);

private:
    bool Open(const std::string& Key, bool CanCreate, REGSAM Access);
    void ReadBinary(const std::string& Name, void* Buffer, DWORD Size) const;
    void WriteData(const std::string& Name, DWORD Type, const void* Data, DWORD Size);

    REGSAM FAccess;
    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
};
