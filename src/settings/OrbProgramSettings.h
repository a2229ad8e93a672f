#pragma once
// The typed settings store: keys registered with a type and a default, values kept as variants,
// loaded from and saved to an INI file or the registry.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Variant.h"

enum TValueType : uint8_t {
    vtUnknown,
    vtString,
    vtInteger,
    vtFloat,
    vtCurrency,
    vtTime,
    vtDate,
    vtDateTime,
    vtBoolean,
    vtPassword
};

enum TSettingsStore : uint8_t { ssRegistry, ssINIFile };

// An unregistered key name: "Invalid Key Name (%s)".
class EProgramSettingError : public Exception {
public:
    using Exception::Exception;
};

class TProgramSettings;

// One registered setting.
class TSettingItem {
public:
    const std::string& KeyName() const { return FKeyName; }
    void SetKeyName(const std::string& Value) { FKeyName = Value; }
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }
    const Variant& DefaultValue() const { return FDefaultValue; }
    void SetDefaultValue(const Variant& Value) { FDefaultValue = Value; }
    TValueType ValueType() const { return FValueType; }
    void SetValueType(TValueType Value) { FValueType = Value; }

    // The owning store.
    TProgramSettings& Collection() const { return FCollection; }

    explicit TSettingItem(TProgramSettings& Collection) : FCollection(Collection) {}
    TSettingItem(const TSettingItem&) = delete;
    TSettingItem& operator=(const TSettingItem&) = delete;

private:
    TProgramSettings& FCollection;
    std::string FKeyName;
    Variant FValue;
    Variant FDefaultValue;
    TValueType FValueType = vtUnknown;
};

class TProgramSettings {
public:
    // EncryptKey "M4QUILT", RootKey HKEY_CURRENT_USER, SettingsStore ssRegistry, INIFileName the
    // program's path with ".ini", SettingsKey empty. Reads nothing.
    TProgramSettings();
    TProgramSettings(const TProgramSettings&) = delete;
    TProgramSettings& operator=(const TProgramSettings&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value) { FRootKey = Value; }
    const std::string& SettingsKey() const { return FSettingsKey; }
    void SetSettingsKey(const std::string& Value) { FSettingsKey = Value; }
    const std::string& EncryptKey() const { return FEncryptKey; }
    void SetEncryptKey(const std::string& Value) { FEncryptKey = Value; }
    TSettingsStore SettingsStore() const { return FSettingsStore; }
    void SetSettingsStore(TSettingsStore Value) { FSettingsStore = Value; }
    const std::string& INIFileName() const { return FINIFileName; }
    void SetINIFileName(const std::string& Value) { FINIFileName = Value; }

    // Appends a new item; its Value stays unassigned. Names are not checked.
    TSettingItem& Add(const std::string& KeyName, TValueType ValueType,
                      const Variant& DefaultValue);
    // Index of the first item whose name matches with ASCII letters folded; -1 when none.
    int IndexOf(const std::string& KeyName) const;
    // Raise EProgramSettingError "Invalid Key Name (%s)" for an unregistered name.
    TSettingItem& GetSetting(const std::string& KeyName);
    Variant GetValue(const std::string& KeyName);
    void SetValue(const std::string& KeyName, const Variant& Value);
    // Raises EListError "List index out of bounds (%d)" outside 0 to Count - 1.
    TSettingItem& GetItem(int Index);
    int Count() const { return static_cast<int>(FItems.size()); }
    void Clear() { FItems.clear(); }

    // Stored defaults (INI section ".Defaults", or HKEY_USERS\.Default\SettingsKey).
    void LoadDefaults();
    // Values (INI section "Settings", or RootKey\SettingsKey); missing ones take the default.
    void Load();
    // Writes every item's value.
    void Save();

    // The start-with-Windows entry under HKLM "Software\Microsoft\Windows\CurrentVersion\Run",
    // named after the application title (OrbAutoRun.cpp).
    void SetAutoRun(const std::string& Parameters, bool Enable);
    bool IsAutoRun();

private:
    void LoadDefaultsFromRegistry();
    void LoadDefaultsFromIni();
    void LoadFromRegistry();
    void LoadFromIni();
    void SaveToRegistry();
    void SaveToIni();
    void ApplyDefaultKey();

    std::vector<std::unique_ptr<TSettingItem>> FItems;
    HKEY FRootKey = HKEY_CURRENT_USER;
    std::string FSettingsKey;
    std::string FEncryptKey;
    TSettingsStore FSettingsStore = ssRegistry;
    std::string FINIFileName;
};

// Scrambles or descrambles (the same routine does both) Value with Key; empty when either is empty.
std::string EncryptString(const std::string& Value, const std::string& Key);

// The short (8.3) form of a path (OrbAutoRun.cpp).
std::string GetShortPath(const std::string& LongPath);
