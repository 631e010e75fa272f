#include "script/ResultFormat.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kpf::script {

namespace {

struct TDecimal {
    std::string Digits;  // significant digits, no trailing zeros, at least one
    int Exponent = 0;    // value = 0.Digits x 10^Exponent
};

// Rounds a positive finite value to 10 significant digits.
TDecimal ToDecimal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 9);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = text.find('e');
    TDecimal decimal;
    for (char c : text.substr(0, e)) {
        if (c != '.')
            decimal.Digits.push_back(c);
    }
    while (decimal.Digits.size() > 1 && decimal.Digits.back() == '0')
        decimal.Digits.pop_back();
    decimal.Exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    return decimal;
}

std::string FixedNotation(const TDecimal& d, char separator)
{
    const int count = static_cast<int>(d.Digits.size());
    if (d.Exponent <= 0)
        return std::string("0") + separator + std::string(static_cast<std::size_t>(-d.Exponent), '0') + d.Digits;
    if (count <= d.Exponent)
        return d.Digits + std::string(static_cast<std::size_t>(d.Exponent - count), '0');
    return d.Digits.substr(0, static_cast<std::size_t>(d.Exponent)) + separator +
           d.Digits.substr(static_cast<std::size_t>(d.Exponent));
}

std::string ScientificNotation(const TDecimal& d, char separator)
{
    std::string text(1, d.Digits[0]);
    if (d.Digits.size() > 1)
        text += separator + d.Digits.substr(1);
    const int exponent = d.Exponent - 1;
    text += 'E';
    if (exponent < 0)
        text += '-';
    std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return text + digits;
}

}  // namespace

std::string FormatGeneral10(double value, char decimalSeparator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";
    const TDecimal decimal = ToDecimal(std::fabs(value));
    std::string text = (decimal.Exponent >= -3 && decimal.Exponent <= 10) ? FixedNotation(decimal, decimalSeparator)
                                                                          : ScientificNotation(decimal, decimalSeparator);
    return value < 0 ? "-" + text : text;
}

std::string FormatExprResult(double value, bool isBoolean, char decimalSeparator)
{
    if (isBoolean) {
        if (value > -0.1 && value < 0.1)
            return "False";
        if (value > 0.9 && value < 1.1)
            return "True";
    }
    return FormatGeneral10(value, decimalSeparator);
}

}  // namespace kpf::script
