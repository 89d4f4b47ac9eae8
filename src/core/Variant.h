#pragma once
// A database value: Null, a whole number, a real number or a text.
// Null is distinct from "" and from 0.

#include <cstdint>
#include <string>
#include <variant>

namespace zorva {

class Variant {
public:
    enum class Type { Null, Integer, Real, Text };

    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(int v) : v_(static_cast<std::int64_t>(v)) {}
    Variant(std::int64_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return v_.index() == 0; }
    bool isNumber() const { return type() == Type::Integer || type() == Type::Real; }

    // Number value: whole and real numbers as they are, a text by the leading
    // number it starts with (0 when none), Null as 0.
    double toDouble() const;
    std::int64_t toInt() const;
    // Text form: a text as it is; a whole number in decimal digits; a real number
    // with up to 15 significant digits, "." as decimal mark and no thousands
    // separator (12.5, -0.25, 1E+16); Null as "".
    std::string toString() const;

    bool operator==(const Variant& o) const { return v_ == o.v_; }
    bool operator!=(const Variant& o) const { return !(v_ == o.v_); }

private:
    std::variant<std::monostate, std::int64_t, double, std::string> v_;
};

// Real number as text with up to 15 significant digits ("12.5", "1E+16", "0.001").
std::string FormatDouble15(double d);

} // namespace zorva
