#include "base/Variant.h"

#include <cmath>
#include <limits>

#include "base/Convert.h"

namespace {

[[noreturn]] void CastError(const Variant& From, const char* To) {
    throw EVariantTypeCastError(Format("Could not convert variant of type (%s) into type (%s)",
                                       From.TypeName().c_str(), To));
}

bool EqualsNoCase(const std::string& A, const char* B) {
    const std::string other(B);
    if (A.size() != other.size()) {
        return false;
    }
    for (size_t i = 0; i < A.size(); ++i) {
        const char x = A[i] >= 'a' && A[i] <= 'z' ? static_cast<char>(A[i] - 32) : A[i];
        const char y =
            other[i] >= 'a' && other[i] <= 'z' ? static_cast<char>(other[i] - 32) : other[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

// Round half to even, as the conversions of floating-point values to integers do.
bool RoundToInt64(double Value, int64_t& Result) {
    if (!std::isfinite(Value)) {
        return false;
    }
    const double r = std::nearbyint(Value);
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) {
        return false;
    }
    Result = static_cast<int64_t>(r);
    return true;
}

int64_t RoundHalfEvenDiv(int64_t Value, int64_t Divisor) {
    int64_t q = Value / Divisor;
    const int64_t r = Value % Divisor;
    const int64_t twice = (r < 0 ? -r : r) * 2;
    if (twice > Divisor || (twice == Divisor && q % 2 != 0)) {
        q += Value < 0 ? -1 : 1;
    }
    return q;
}

std::string CurrencyToStr(int64_t Scaled) {
    const bool negative = Scaled < 0;
    const uint64_t magnitude =
        negative ? 0u - static_cast<uint64_t>(Scaled) : static_cast<uint64_t>(Scaled);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (!fraction.empty()) {
        text += FormatSettings().DecimalSeparator;
        text += fraction;
    }
    return text;
}

} // namespace

Variant Variant::Null() {
    Variant v;
    v.FKind = TVarKind::vkNull;
    return v;
}

Variant Variant::FromCurrency(int64_t Scaled) {
    Variant v;
    v.FKind = TVarKind::vkCurrency;
    v.FInt = Scaled;
    return v;
}

Variant Variant::FromDateTime(TDateTime Value) {
    Variant v;
    v.FKind = TVarKind::vkDate;
    v.FDouble = Value;
    return v;
}

std::string Variant::TypeName() const {
    switch (FKind) {
    case TVarKind::vkEmpty:
        return "Empty";
    case TVarKind::vkNull:
        return "Null";
    case TVarKind::vkBoolean:
        return "Boolean";
    case TVarKind::vkInteger:
        return FInt >= INT32_MIN && FInt <= INT32_MAX ? "Integer" : "Int64";
    case TVarKind::vkDouble:
        return "Double";
    case TVarKind::vkCurrency:
        return "Currency";
    case TVarKind::vkDate:
        return "Date";
    case TVarKind::vkString:
        return "String";
    }
    return "Unknown";
}

std::string Variant::AsString() const {
    switch (FKind) {
    case TVarKind::vkEmpty:
        return {};
    case TVarKind::vkBoolean:
        return FInt ? "True" : "False";
    case TVarKind::vkInteger:
        return IntToStr(FInt);
    case TVarKind::vkDouble:
        return FloatToStr(FDouble);
    case TVarKind::vkCurrency:
        return CurrencyToStr(FInt);
    case TVarKind::vkDate:
        return DateTimeToStr(FDouble);
    case TVarKind::vkString:
        return FString;
    case TVarKind::vkNull:
        break;
    }
    CastError(*this, "String");
}

int64_t Variant::AsInt64() const {
    int64_t result = 0;
    switch (FKind) {
    case TVarKind::vkEmpty:
        return 0;
    case TVarKind::vkBoolean:
    case TVarKind::vkInteger:
        return FInt;
    case TVarKind::vkCurrency:
        return RoundHalfEvenDiv(FInt, 10000);
    case TVarKind::vkDouble:
    case TVarKind::vkDate:
        if (RoundToInt64(FDouble, result)) {
            return result;
        }
        break;
    case TVarKind::vkString: {
        int32_t small = 0;
        double d = 0;
        if (TryStrToInt(FString, small)) {
            return small;
        }
        if (TryStrToFloat(FString, d) && RoundToInt64(d, result)) {
            return result;
        }
        break;
    }
    case TVarKind::vkNull:
        break;
    }
    CastError(*this, "Int64");
}

int32_t Variant::AsInteger() const {
    int64_t wide = 0;
    try {
        wide = AsInt64();
    } catch (const EVariantTypeCastError&) {
        CastError(*this, "Integer");
    }
    if (wide < INT32_MIN || wide > INT32_MAX) {
        CastError(*this, "Integer");
    }
    return static_cast<int32_t>(wide);
}

bool Variant::AsBoolean() const {
    switch (FKind) {
    case TVarKind::vkEmpty:
        return false;
    case TVarKind::vkBoolean:
    case TVarKind::vkInteger:
    case TVarKind::vkCurrency:
        return FInt != 0;
    case TVarKind::vkDouble:
    case TVarKind::vkDate:
        return FDouble != 0.0;
    case TVarKind::vkString: {
        if (EqualsNoCase(FString, "True")) {
            return true;
        }
        if (EqualsNoCase(FString, "False")) {
            return false;
        }
        int32_t i = 0;
        double d = 0;
        if (TryStrToInt(FString, i)) {
            return i != 0;
        }
        if (TryStrToFloat(FString, d)) {
            return d != 0.0;
        }
        break;
    }
    case TVarKind::vkNull:
        break;
    }
    CastError(*this, "Boolean");
}

double Variant::AsNumber(bool (*Parse)(const std::string&, double&), const char* TypeName) const {
    switch (FKind) {
    case TVarKind::vkEmpty:
        return 0.0;
    case TVarKind::vkBoolean:
    case TVarKind::vkInteger:
        return static_cast<double>(FInt);
    case TVarKind::vkCurrency:
        return static_cast<double>(FInt) / 10000.0;
    case TVarKind::vkDouble:
    case TVarKind::vkDate:
        return FDouble;
    case TVarKind::vkString: {
        double d = 0;
        if (Parse(FString, d)) {
            return d;
        }
        break;
    }
    case TVarKind::vkNull:
        break;
    }
    CastError(*this, TypeName);
}

double Variant::AsDouble() const {
    return AsNumber([](const std::string& Text, double& D) { return TryStrToFloat(Text, D); },
                    "Double");
}

int64_t Variant::AsCurrency() const {
    switch (FKind) {
    case TVarKind::vkEmpty:
        return 0;
    case TVarKind::vkCurrency:
        return FInt;
    case TVarKind::vkBoolean:
    case TVarKind::vkInteger:
        if (FInt >= INT64_MIN / 10000 && FInt <= INT64_MAX / 10000) {
            return FInt * 10000;
        }
        break;
    case TVarKind::vkNull:
        break;
    default: {
        double d = 0;
        int64_t scaled = 0;
        try {
            d = AsDouble();
        } catch (const EVariantTypeCastError&) {
            break;
        }
        if (RoundToInt64(d * 10000.0, scaled)) {
            return scaled;
        }
        break;
    }
    }
    CastError(*this, "Currency");
}

TDateTime Variant::AsDateTime() const {
    return AsNumber([](const std::string& Text,
                       double& D) { return TryStrToDateTime(Text, D) || TryStrToTime(Text, D); },
                    "Date");
}

bool operator==(const Variant& A, const Variant& B) {
    if (A.FKind != B.FKind) {
        return false;
    }
    switch (A.FKind) {
    case TVarKind::vkEmpty:
    case TVarKind::vkNull:
        return true;
    case TVarKind::vkDouble:
    case TVarKind::vkDate:
        return A.FDouble == B.FDouble;
    case TVarKind::vkString:
        return A.FString == B.FString;
    default:
        return A.FInt == B.FInt;
    }
}
