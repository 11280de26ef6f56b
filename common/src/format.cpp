#include "kolvar/format.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace kolvar::format {
namespace {

bool append_special(std::string& out, double value)
{
    if (std::isnan(value)) {
        out.append("NaN");
        return true;
    }
    if (std::isinf(value)) {
        out.append(value < 0 ? "-inf" : "inf");
        return true;
    }
    return false;
}

void append_hex(std::string& out, std::uint32_t code)
{
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, code, 16);
    (void)ec;
    out.append("\\u{");
    out.append(buffer, end);
    out.push_back('}');
}

// Decodes one UTF-8 sequence starting at text[i]; returns its length, or 0
// when the bytes do not form a valid sequence.
std::size_t decode_utf8(std::string_view text, std::size_t i, std::uint32_t& code)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    return length;
}

}  // namespace

void append_number(std::string& out, double value)
{
    if (append_special(out, value)) return;
    // The scientific form carries the shortest digits that read back to the
    // same double ("-1.5e+300"); the fixed form would print the exact binary
    // value of large numbers instead (1e23 as 99999999999999991611392). The
    // digits are moved into positional notation here.
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    (void)ec;  // 32 bytes hold any double's shortest scientific form
    std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
    if (written.front() == '-') {
        out.push_back('-');
        written.remove_prefix(1);
    }
    const std::size_t e = written.find('e');
    std::string_view exponent_text = written.substr(e + 1);
    if (exponent_text.front() == '+') exponent_text.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);

    // Mantissa "d" or "d.ddd": the leading digit and the digits after the point.
    const std::string_view lead = written.substr(0, 1);
    const std::string_view rest = e > 2 ? written.substr(2, e - 2) : std::string_view{};
    const auto n_rest = static_cast<int>(rest.size());

    if (exponent < 0) {
        // 0.000ddd
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(lead);
        out.append(rest);
    } else if (exponent >= n_rest) {
        // dddd000, an integral value
        out.append(lead);
        out.append(rest);
        out.append(static_cast<std::size_t>(exponent - n_rest), '0');
    } else {
        // dd.dd
        out.append(lead);
        out.append(rest.substr(0, static_cast<std::size_t>(exponent)));
        out.push_back('.');
        out.append(rest.substr(static_cast<std::size_t>(exponent)));
    }
}

void append_fixed(std::string& out, double value, int decimals)
{
    if (append_special(out, value)) return;
    // DBL_MAX has 309 integer digits; with a few decimals it stays below this.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc{}) {
        // Only an absurd number of decimals gets here.
        out.append("NaN");
        return;
    }
    out.append(buffer, end);
}

void append_exponent(std::string& out, double value, int decimals)
{
    if (append_special(out, value)) return;
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::scientific, decimals);
    if (ec != std::errc{}) {
        out.append("NaN");
        return;
    }
    // to_chars writes "1.234e-05"; the exponent is printed bare: "1.234e-5".
    std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = written.find('e');
    out.append(written.substr(0, e + 1));
    std::string_view exponent_digits = written.substr(e + 1);
    if (exponent_digits.front() == '-') {
        out.push_back('-');
        exponent_digits.remove_prefix(1);
    } else if (exponent_digits.front() == '+') {
        exponent_digits.remove_prefix(1);
    }
    while (exponent_digits.size() > 1 && exponent_digits.front() == '0') exponent_digits.remove_prefix(1);
    out.append(exponent_digits);
}

void append_significant(std::string& out, double value, int digits)
{
    if (append_special(out, value)) return;
    // The scientific form rounds to the digits asked for; reading it back and
    // printing the shortest form drops the trailing zeros.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                   std::clamp(digits, 1, 17) - 1);
    double rounded = value;
    if (ec == std::errc{}) std::from_chars(buffer, end, rounded);
    append_number(out, rounded);
}

void append_count(std::string& out, std::uint64_t value)
{
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}

void append_quoted(std::string& out, std::string_view text)
{
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t code = 0;
        const std::size_t length = decode_utf8(text, i, code);
        if (length == 0) {
            append_hex(out, 0xFFFD);
            ++i;
            continue;
        }
        switch (code) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\t': out.append("\\t"); break;
        case '\r': out.append("\\r"); break;
        case '\0': out.append("\\0"); break;
        default:
            if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) {
                append_hex(out, code);
            } else {
                out.append(text.substr(i, length));
            }
        }
        i += length;
    }
    out.push_back('"');
}

std::string number(double value)
{
    std::string out;
    append_number(out, value);
    return out;
}

std::string fixed(double value, int decimals)
{
    std::string out;
    append_fixed(out, value, decimals);
    return out;
}

std::string exponent(double value, int decimals)
{
    std::string out;
    append_exponent(out, value, decimals);
    return out;
}

std::string significant(double value, int digits)
{
    std::string out;
    append_significant(out, value, digits);
    return out;
}

std::string count(std::uint64_t value)
{
    std::string out;
    append_count(out, value);
    return out;
}

std::string quoted(std::string_view text)
{
    std::string out;
    append_quoted(out, text);
    return out;
}

}  // namespace kolvar::format
