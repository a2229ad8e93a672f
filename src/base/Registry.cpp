#include "base/Registry.h"

#include <cstring>
#include <vector>

namespace {

LONG RealOpenKey(HKEY Root, const char* Path, bool CanCreate, REGSAM Access, HKEY* Result) {
    if (!CanCreate || *Path == '\0') {
        return RegOpenKeyExA(Root, Path, 0, Access, Result);
    }
    return RegCreateKeyExA(Root, Path, 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr, Result,
                           nullptr);
}

TRegistry::TOpenKeyFunc& OpenKeyFunc() {
    static TRegistry::TOpenKeyFunc func = RealOpenKey;
    return func;
}

[[noreturn]] void Fail(const char* Message, const std::string& Name) {
    throw ERegistryException(Format(Message, Name.c_str()));
}

} // namespace

TRegistry::TOpenKeyFunc TRegistry::SetOpenKeyFunc(TOpenKeyFunc Func) {
    TOpenKeyFunc previous = OpenKeyFunc();
    OpenKeyFunc() = Func ? Func : RealOpenKey;
    return previous == RealOpenKey ? nullptr : previous;
}

void TRegistry::SetRootKey(HKEY Value) {
    CloseKey();
    FRootKey = Value;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    return Open(Key, CanCreate, FAccess);
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
    return Open(Key, false, KEY_READ | (FAccess & KEY_WOW64_RES));
}

bool TRegistry::Open(const std::string& Key, bool CanCreate, REGSAM Access) {
    CloseKey();
    const std::string path = !Key.empty() && Key[0] == '\\' ? Key.substr(1) : Key;
    HKEY key = nullptr;
    if (OpenKeyFunc()(FRootKey, path.c_str(), CanCreate, Access, &key) != ERROR_SUCCESS) {
        return false;
    }
    FCurrentKey = key;
    return true;
}

void TRegistry::CloseKey() {
    if (FCurrentKey) {
        RegCloseKey(FCurrentKey);
        FCurrentKey = nullptr;
    }
}

namespace {

// Enumerates names by index with RegEnumKeyExA or RegEnumValueA (Enum), growing the buffer when
// a name is longer than the key reported.
template <class TEnum> std::vector<std::string> EnumNames(HKEY Key, DWORD MaxLength, TEnum Enum) {
    std::vector<std::string> names;
    if (!Key)
        return names;
    std::vector<char> buffer(MaxLength + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc = Enum(Key, index, buffer.data(), &length);
        if (rc == ERROR_MORE_DATA && buffer.size() < 32768) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
        ++index;
    }
    return names;
}

} // namespace

std::vector<std::string> TRegistry::GetKeyNames() const {
    DWORD maxLength = 0;
    if (FCurrentKey)
        RegQueryInfoKeyA(FCurrentKey, nullptr, nullptr, nullptr, nullptr, &maxLength, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    return EnumNames(FCurrentKey, maxLength, [](HKEY Key, DWORD Index, char* Name, DWORD* Length) {
        return RegEnumKeyExA(Key, Index, Name, Length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> TRegistry::GetValueNames() const {
    DWORD maxLength = 0;
    if (FCurrentKey)
        RegQueryInfoKeyA(FCurrentKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxLength, nullptr, nullptr, nullptr);
    return EnumNames(FCurrentKey, maxLength, [](HKEY Key, DWORD Index, char* Name, DWORD* Length) {
        return RegEnumValueA(Key, Index, Name, Length, nullptr, nullptr, nullptr, nullptr);
    });
}

bool TRegistry::ValueExists(const std::string& Name) const {
    return FCurrentKey && RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, nullptr, nullptr,
                                           nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& Name) {
    return FCurrentKey && RegDeleteValueA(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& Name) const {
    DWORD type = 0;
    DWORD size = 0;
    if (!FCurrentKey || RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type, nullptr,
                                         &size) != ERROR_SUCCESS) {
        // A missing value reads as empty text.
        return {};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        Fail("Invalid data type for '%s'", Name);
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        const LONG rc = RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            // Grown since it was measured.
            size = got;
            continue;
        }
        if (rc != ERROR_SUCCESS) {
            Fail("Failed to get data for '%s'", Name);
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            Fail("Invalid data type for '%s'", Name);
        }
        // The stored data may or may not hold its terminating NUL.
        return std::string(buffer.data(), strnlen(buffer.data(), got));
    }
    Fail("Failed to get data for '%s'", Name);
}

int32_t TRegistry::ReadInteger(const std::string& Name) const {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (!FCurrentKey || RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
        Fail("Failed to get data for '%s'", Name);
    }
    if (type != REG_DWORD || size != sizeof value) {
        Fail("Invalid data type for '%s'", Name);
    }
    return static_cast<int32_t>(value);
}

bool TRegistry::ReadBool(const std::string& Name) const {
    return ReadInteger(Name) != 0;
}

void TRegistry::ReadBinary(const std::string& Name, void* Buffer, DWORD Size) const {
    DWORD type = 0;
    DWORD size = Size;
    if (!FCurrentKey || RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type,
                                         static_cast<BYTE*>(Buffer), &size) != ERROR_SUCCESS) {
        Fail("Failed to get data for '%s'", Name);
    }
    if (type != REG_BINARY || size != Size) {
        Fail("Invalid data type for '%s'", Name);
    }
}

double TRegistry::ReadFloat(const std::string& Name) const {
    double value = 0;
    ReadBinary(Name, &value, sizeof value);
    return value;
}

int64_t TRegistry::ReadCurrency(const std::string& Name) const {
    int64_t value = 0;
    ReadBinary(Name, &value, sizeof value);
    return value;
}

TDateTime TRegistry::ReadDateTime(const std::string& Name) const {
    return ReadFloat(Name);
}

void TRegistry::WriteData(const std::string& Name, DWORD Type, const void* Data, DWORD Size) {
    if (!FCurrentKey || RegSetValueExA(FCurrentKey, Name.c_str(), 0, Type,
                                       static_cast<const BYTE*>(Data), Size) != ERROR_SUCCESS) {
        Fail("Failed to set data for '%s'", Name);
    }
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    WriteData(Name, REG_SZ, Value.c_str(), static_cast<DWORD>(strlen(Value.c_str()) + 1));
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    WriteData(Name, REG_EXPAND_SZ, Value.c_str(), static_cast<DWORD>(strlen(Value.c_str()) + 1));
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value) {
    const DWORD data = static_cast<DWORD>(Value);
    WriteData(Name, REG_DWORD, &data, sizeof data);
}

void TRegistry::WriteBool(const std::string& Name, bool Value) {
    WriteInteger(Name, Value ? 1 : 0);
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
    WriteData(Name, REG_BINARY, &Value, sizeof Value);
}

void TRegistry::WriteCurrency(const std::string& Name, int64_t Value) {
    WriteData(Name, REG_BINARY, &Value, sizeof Value);
}

void TRegistry::WriteDateTime(const std::string& Name, TDateTime Value) {
    WriteData(Name, REG_BINARY, &Value, sizeof Value);
}
