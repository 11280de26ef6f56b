#include "kolvar/format.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace kolvar::format {
namespace {

// The longest positional form of a double is 5e-324 (326 characters) or
// DBL_MAX (309 digits); fixed forms with a few decimals stay below that too.
constexpr std::size_t buffer_size = 400;

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

template <class... Options>
void append_chars(std::string& out, double value, Options... options)
{
    char buffer[buffer_size];
    auto [end, ec] = std::to_chars(buffer, buffer + buffer_size, value, options...);
    if (ec != std::errc{}) {
        // Only a fixed form with an absurd number of decimals gets here.
        out.append("NaN");
        return;
    }
    out.append(buffer, end);
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
    append_chars(out, value, std::chars_format::fixed);
}

void append_fixed(std::string& out, double value, int decimals)
{
    if (append_special(out, value)) return;
    append_chars(out, value, std::chars_format::fixed, decimals);
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
