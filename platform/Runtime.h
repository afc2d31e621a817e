// Run-time errors, checked integers, bounded arrays and the text/number
// conversions that the game's code is written against.
#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace vb {

enum ErrorNumber : int {
    errInvalidCall = 5,
    errOverflow = 6,
    errSubscript = 9,
    errTypeMismatch = 13,
    errCancel = 32755,
};

// The standard description of a run-time error number.
QString ErrorDescription(int number);

struct RuntimeError : std::runtime_error {
    RuntimeError(int number, QString description);
    explicit RuntimeError(int number);
    int number;
    QString description;
};

[[noreturn]] void Raise(int number);

// A signed integer of a fixed width whose arithmetic and conversions raise
// Overflow instead of wrapping.
template <typename T>
class Checked {
public:
    using value_type = T;
    constexpr Checked() = default;
    Checked(long long v) : value_(narrow(v)) {}  // NOLINT: implicit on purpose
    Checked(int v) : value_(narrow(v)) {}        // NOLINT
    template <typename U>
    Checked(Checked<U> v) : value_(narrow(v.get())) {}  // NOLINT

    static T narrow(long long v)
    {
        if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
            Raise(errOverflow);
        return static_cast<T>(v);
    }

    T get() const { return value_; }
    operator T() const { return value_; }  // NOLINT

    Checked& operator+=(long long o) { value_ = narrow(static_cast<long long>(value_) + o); return *this; }
    Checked& operator-=(long long o) { value_ = narrow(static_cast<long long>(value_) - o); return *this; }
    Checked& operator++() { return *this += 1; }
    Checked& operator--() { return *this -= 1; }

    // Mixed arithmetic is done in 64 bits and checked on the way back.
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
    friend Checked operator+(Checked a, I b) { return Checked(static_cast<long long>(a.value_) + b); }
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
    friend Checked operator-(Checked a, I b) { return Checked(static_cast<long long>(a.value_) - b); }
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
    friend Checked operator*(Checked a, I b) { return Checked(static_cast<long long>(a.value_) * b); }
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
    friend Checked operator+(I a, Checked b) { return Checked(static_cast<long long>(a) + b.value_); }
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
    friend Checked operator-(I a, Checked b) { return Checked(static_cast<long long>(a) - b.value_); }
    friend Checked operator+(Checked a, Checked b) { return Checked(static_cast<long long>(a.value_) + b.value_); }
    friend Checked operator-(Checked a, Checked b) { return Checked(static_cast<long long>(a.value_) - b.value_); }

private:
    T value_ = 0;
};

using Integer = Checked<std::int16_t>;  // the 16-bit integer
using Long = Checked<std::int32_t>;     // the 32-bit integer

// An array with declared bounds (Lo To Hi); an index outside raises
// Subscript out of range.
template <typename T, int Lo, int Hi>
class BoundedArray {
public:
    static constexpr int lower = Lo;
    static constexpr int upper = Hi;
    T& operator()(long long i) { return items_[offset(i)]; }
    const T& operator()(long long i) const { return items_[offset(i)]; }
    void fill(const T& v) { items_.fill(v); }

private:
    static std::size_t offset(long long i)
    {
        if (i < Lo || i > Hi)
            Raise(errSubscript);
        return static_cast<std::size_t>(i - Lo);
    }
    std::array<T, Hi - Lo + 1> items_{};
};

// Text to number the way the desktop's locale-aware conversion reads it:
// blanks around, an optional sign, digits with the locale's or the C
// decimal separator, an optional exponent. Returns false when the text is
// no number.
bool TextToNumber(const QString& text, double* result);

// True for a number, or a text that TextToNumber accepts (the empty text is
// not numeric).
bool IsNumeric(const QVariant& value);

// Numeric value of a number or numeric text; raises Type mismatch otherwise.
double CDbl(const QVariant& value);

// Round half to even, then fit into 16 or 32 bits (raises Overflow).
double RoundHalfEven(double v);
std::int16_t CInt(double v);
std::int32_t CLng(double v);

// Decimal text of a number without a leading blank.
QString CStr(long long v);

// The text form of a variant result: a text stays as it is, a number
// becomes its decimal text.
QString VariantToText(const QVariant& value);

// Leading and trailing spaces removed (only spaces, as the desktop's Trim).
QString Trim(const QString& text);

}  // namespace vb
