#pragma once
// A tagged value of one kind: what the settings store keeps for every setting. Values are kept
// in the kind they were given and converted only when asked.
#include <concepts>
#include <cstdint>
#include <string>

#include "base/Exception.h"

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// A Null, or a value that does not convert to the asked kind.
class EVariantTypeCastError : public Exception {
public:
    using Exception::Exception;
};

enum class TVarKind : uint8_t {
    vkEmpty,    // unassigned
    vkNull,     // explicit "no value"
    vkBoolean,  //
    vkInteger,  // signed, 64 bits wide; "Integer" when it fits 32 bits
    vkDouble,   //
    vkCurrency, // 64-bit integer holding the amount times 10,000
    vkDate,     // TDateTime
    vkString    // 8-bit text
};

class Variant {
public:
    Variant() = default; // unassigned
    Variant(bool Value) : FKind(TVarKind::vkBoolean), FInt(Value ? 1 : 0) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Variant(T Value)
        : FKind(TVarKind::vkInteger), FInt(static_cast<int64_t>(Value)) {}
    Variant(double Value) : FKind(TVarKind::vkDouble), FDouble(Value) {}
    Variant(const char* Value) : FKind(TVarKind::vkString), FString(Value ? Value : "") {}
    Variant(std::string Value) : FKind(TVarKind::vkString), FString(std::move(Value)) {}

    static Variant Null();
    static Variant FromCurrency(int64_t Scaled); // amount times 10,000
    static Variant FromDateTime(TDateTime Value);

    TVarKind Kind() const { return FKind; }
    bool IsEmpty() const { return FKind == TVarKind::vkEmpty; }
    bool IsNull() const { return FKind == TVarKind::vkNull; }
    // Name of the kind as used in conversion messages ("Empty", "Integer", "String", ...).
    std::string TypeName() const;

    // Conversions. Unassigned gives "", 0, False, 0.0; Null or a value that does not convert
    // raises EVariantTypeCastError. Text converts with the regional formats.
    std::string AsString() const;
    int32_t AsInteger() const;
    int64_t AsInt64() const;
    bool AsBoolean() const;
    double AsDouble() const;
    int64_t AsCurrency() const; // scaled by 10,000
    TDateTime AsDateTime() const;

    // Same kind and same value.
    friend bool operator==(const Variant& A, const Variant& B);

private:
    // The value as a double for the numeric kinds; text through parse; typeName names the
    // target in the cast error.
    double AsNumber(bool (*Parse)(const std::string&, double&), const char* TypeName) const;

    TVarKind FKind = TVarKind::vkEmpty;
    int64_t FInt = 0;     // Boolean, integer, currency
    double FDouble = 0.0; // double, date-time
    std::string FString;
};
