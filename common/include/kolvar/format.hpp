// Number and text forms used by every message and representation.
//
//   number(0.1)            -> "0.1"      shortest decimal that reads back to the same
//   number(1.0)            -> "1"        double, positional notation, never an exponent;
//   number(1e-7)           -> "0.0000001"
//   number(-0.0)           -> "-0"       NaN, inf and -inf for the special values;
//   number(1e23)           -> "100000000000000000000000"  large values print their
//                                        shortest digits padded with zeros
//   fixed(0.0123449, 6)    -> "0.012345" exactly N decimals
//   exponent(1.234e-5, 3)  -> "1.234e-5" mantissa with N decimals, bare exponent
//   significant(2.0/3, 6)  -> "0.666667" rounded to N significant digits, then
//                                        the number form (for tables read by people)
//   count(42)              -> "42"
//   quoted("a\"b\n")       -> "\"a\\\"b\\n\"" double-quoted with backslash escapes
//
// `text(...)` concatenates pieces into one message: string-likes as they are,
// doubles in the default number form, unsigned integers as counts, and the
// wrappers Fixed, Exp and Quoted for the other forms.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvar::format {

void append_number(std::string& out, double value);
void append_fixed(std::string& out, double value, int decimals);
void append_exponent(std::string& out, double value, int decimals);
void append_significant(std::string& out, double value, int digits);
void append_count(std::string& out, std::uint64_t value);
void append_quoted(std::string& out, std::string_view text);

std::string number(double value);
std::string fixed(double value, int decimals);
std::string exponent(double value, int decimals);
std::string significant(double value, int digits);
std::string count(std::uint64_t value);
std::string quoted(std::string_view text);

// Wrappers that select a form inside text(...).
struct Fixed {
    double value;
    int decimals;
};
struct Exp {
    double value;
    int decimals;
};
struct Quoted {
    std::string_view text;
};

namespace detail {
inline void append(std::string& out, std::string_view piece) { out.append(piece); }
inline void append(std::string& out, const char* piece) { out.append(piece); }
inline void append(std::string& out, const std::string& piece) { out.append(piece); }
inline void append(std::string& out, double value) { append_number(out, value); }
inline void append(std::string& out, Fixed f) { append_fixed(out, f.value, f.decimals); }
inline void append(std::string& out, Exp e) { append_exponent(out, e.value, e.decimals); }
inline void append(std::string& out, Quoted q) { append_quoted(out, q.text); }
template <std::unsigned_integral U>
void append(std::string& out, U value) { append_count(out, value); }
}  // namespace detail

template <class... Pieces>
std::string text(const Pieces&... pieces)
{
    std::string out;
    (detail::append(out, pieces), ...);
    return out;
}

}  // namespace kolvar::format
