#include "db/name_key.hpp"

#include <cstddef>
#include <vector>

namespace kolvar::thermo::db {
namespace {

// One decoded character of the name; an invalid byte stands for itself.
struct Unit {
    char32_t code;
    bool valid;
    std::size_t begin;
    std::size_t length;
};

std::vector<Unit> decode_utf8(std::string_view text)
{
    std::vector<Unit> units;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;  // rejects overlong forms
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) valid = false;
            code = (code << 6) | (byte(i + k) & 0x3F);
        }
        valid = valid && code >= smallest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (!valid) {
            units.push_back({lead, false, i, 1});
            i += 1;
        } else {
            units.push_back({code, true, i, length});
            i += length;
        }
    }
    return units;
}

void append_utf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool is_white_space(const Unit& u)
{
    if (!u.valid) return false;
    const char32_t c = u.code;
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

bool in(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Letters that have case, within the scripts handled here.
bool is_cased(const Unit& u)
{
    if (!u.valid) return false;
    const char32_t c = u.code;
    return in(c, 'A', 'Z') || in(c, 'a', 'z') || c == 0xAA || c == 0xB5 || c == 0xBA || in(c, 0xC0, 0xD6) ||
           in(c, 0xD8, 0xF6) || in(c, 0xF8, 0x24F) || in(c, 0x370, 0x373) || in(c, 0x376, 0x377) ||
           in(c, 0x37A, 0x37D) || c == 0x37F || c == 0x386 || in(c, 0x388, 0x38A) || c == 0x38C ||
           in(c, 0x38E, 0x3A1) || in(c, 0x3A3, 0x3F5) || in(c, 0x3F7, 0x3FF) || in(c, 0x400, 0x481) ||
           in(c, 0x48A, 0x52F) || c == 0x2126 || c == 0x212A || c == 0x212B;
}

// Characters that may sit inside a word without breaking it (apostrophes,
// dots, accents, combining marks).
bool is_case_ignorable(const Unit& u)
{
    if (!u.valid) return false;
    const char32_t c = u.code;
    return c == 0x27 || c == 0x2E || c == 0x3A || c == 0x5E || c == 0x60 || c == 0xA8 || c == 0xAD ||
           c == 0xAF || c == 0xB4 || c == 0xB7 || c == 0xB8 || in(c, 0x300, 0x36F) || c == 0x374 ||
           c == 0x375 || c == 0x37A || c == 0x384 || c == 0x385 || c == 0x387 || in(c, 0x483, 0x489) ||
           c == 0x2018 || c == 0x2019 || c == 0x2024 || c == 0x2027;
}

// Capital sigma ends a word when a cased letter comes before it and none
// after it (case-ignorable characters in between are looked through).
bool ends_word(const std::vector<Unit>& units, std::size_t at, std::size_t begin, std::size_t end)
{
    bool cased_before = false;
    for (std::size_t k = at; k > begin;) {
        --k;
        if (is_case_ignorable(units[k])) continue;
        cased_before = is_cased(units[k]);
        break;
    }
    if (!cased_before) return false;
    for (std::size_t k = at + 1; k < end; ++k) {
        if (is_case_ignorable(units[k])) continue;
        return !is_cased(units[k]);
    }
    return true;
}

bool even(char32_t c) { return c % 2 == 0; }

void append_lower(std::string& out, char32_t c, bool final_sigma)
{
    char32_t lower = c;
    if (in(c, 'A', 'Z')) lower = c + 0x20;
    // Latin-1 and Latin Extended-A
    else if (in(c, 0xC0, 0xDE) && c != 0xD7) lower = c + 0x20;
    else if (c == 0x130) {  // capital I with dot above: i followed by a combining dot
        out.push_back('i');
        lower = 0x307;
    }
    else if ((in(c, 0x100, 0x12F) || in(c, 0x132, 0x137) || in(c, 0x14A, 0x177)) && even(c)) lower = c + 1;
    else if ((in(c, 0x139, 0x148) || in(c, 0x179, 0x17E)) && !even(c)) lower = c + 1;
    else if (c == 0x178) lower = 0xFF;
    // Greek
    else if (c == 0x370 || c == 0x372 || c == 0x376) lower = c + 1;
    else if (c == 0x37F) lower = 0x3F3;
    else if (c == 0x386) lower = 0x3AC;
    else if (in(c, 0x388, 0x38A)) lower = c + 37;
    else if (c == 0x38C) lower = 0x3CC;
    else if (in(c, 0x38E, 0x38F)) lower = c + 63;
    else if (c == 0x3A3) lower = final_sigma ? 0x3C2 : 0x3C3;
    else if (in(c, 0x391, 0x3AB) && c != 0x3A2) lower = c + 0x20;
    else if (c == 0x3CF) lower = 0x3D7;
    else if (in(c, 0x3D8, 0x3EF) && even(c)) lower = c + 1;
    else if (c == 0x3F4) lower = 0x3B8;
    else if (c == 0x3F7 || c == 0x3FA) lower = c + 1;
    else if (c == 0x3F9) lower = 0x3F2;
    else if (in(c, 0x3FD, 0x3FF)) lower = c - 0x82;
    // Cyrillic
    else if (in(c, 0x400, 0x40F)) lower = c + 0x50;
    else if (in(c, 0x410, 0x42F)) lower = c + 0x20;
    else if ((in(c, 0x460, 0x481) || in(c, 0x48A, 0x4BF) || in(c, 0x4D0, 0x52F)) && even(c)) lower = c + 1;
    else if (c == 0x4C0) lower = 0x4CF;
    else if (in(c, 0x4C1, 0x4CE) && !even(c)) lower = c + 1;
    // Letterlike symbols that are compatibility capitals of the above
    else if (c == 0x2126) lower = 0x3C9;
    else if (c == 0x212A) lower = 'k';
    else if (c == 0x212B) lower = 0xE5;
    append_utf8(out, lower);
}

}  // namespace

std::string lookup_key(std::string_view name)
{
    const std::vector<Unit> units = decode_utf8(name);
    std::size_t begin = 0;
    std::size_t end = units.size();
    while (begin < end && is_white_space(units[begin])) ++begin;
    while (end > begin && is_white_space(units[end - 1])) --end;

    std::string key;
    key.reserve(name.size());
    for (std::size_t i = begin; i < end; ++i) {
        const Unit& u = units[i];
        if (!u.valid) {
            key.push_back(name[u.begin]);
        } else {
            append_lower(key, u.code, u.code == 0x3A3 && ends_word(units, i, begin, end));
        }
    }
    return key;
}

}  // namespace kolvar::thermo::db
