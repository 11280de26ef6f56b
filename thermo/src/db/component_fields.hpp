// The keys of a compound's constants, shared by the document reader and the
// checks of constants given by a caller.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kolvar::thermo::db {

enum class Field : unsigned { Formula, Cas, Mw, Tc, Pc, Omega, Zc, Vc, Tb, PsatCoeffs, CpCoeffs, LiquidVolume, Tm };

inline constexpr std::size_t field_count = 13;
inline constexpr std::array<std::string_view, field_count> field_names = {
    "formula", "cas", "mw", "tc", "pc", "omega", "zc", "vc", "tb", "psat_coeffs", "cp_coeffs", "liquid_volume", "tm"};

inline std::optional<Field> field_of(std::string_view key)
{
    for (std::size_t i = 0; i < field_count; ++i) {
        if (field_names[i] == key) return static_cast<Field>(i);
    }
    return std::nullopt;
}

inline std::string_view field_name(Field f) { return field_names[static_cast<std::size_t>(f)]; }

inline bool is_text_field(Field f) { return f == Field::Formula || f == Field::Cas; }
// The keys that may be absent (or null): the liquid volume and the melting point.
inline bool is_optional_field(Field f) { return f == Field::LiquidVolume || f == Field::Tm; }

inline bool is_list_field(Field f) { return f == Field::PsatCoeffs || f == Field::CpCoeffs; }

}  // namespace kolvar::thermo::db
