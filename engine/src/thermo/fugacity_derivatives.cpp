// ln phi of one phase with its exact gradient, and such a value read back
// from storage.
#include "engine/thermo/fugacity_derivatives.hpp"

#include "kolvar/format.hpp"
#include "thermo/fugacity_derivatives.hpp"

#include <cmath>
#include <cstdint>
#include <utility>

namespace kolvar::engine {
namespace {

using format::text;

bool all_finite(const std::vector<double>& values)
{
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

void append_list(std::string& out, const std::vector<double>& values)
{
    out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ", ";
        format::append_number(out, values[i]);
    }
    out += ']';
}

}  // namespace

Result<FugacityDerivatives> ThermoSystem::ln_phi_derivatives(double t, double p, std::span<const double> composition,
                                                             thermo::Phase phase) const
{
    if (auto ok = check_state(t, p, composition); !ok) return std::unexpected(std::move(ok.error()));
    thermo::FugacityDerivatives d;
    if (auto ok = thermo::fugacity_derivatives(spec(), t, p, composition, phase, d); !ok)
        return thermo_failed(ok.error().text());
    const std::size_t n = d.ln_phi.size();
    FugacityDerivatives out{std::move(d.ln_phi), std::move(d.d_temperature), std::move(d.d_pressure), {}};
    out.d_amounts.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        out.d_amounts.emplace_back(d.d_amounts.begin() + static_cast<std::ptrdiff_t>(i * n),
                                   d.d_amounts.begin() + static_cast<std::ptrdiff_t>((i + 1) * n));
    return out;
}

Result<FugacityDerivatives> restore_fugacity_derivatives(FugacityDerivatives parts)
{
    const std::size_t n = parts.ln_phi.size();
    if (n == 0) return invalid_input("ln_phi must have at least one entry");
    const auto count = static_cast<std::uint64_t>(n);
    for (const auto& [name, list] : {std::pair{"d_temperature", &parts.d_temperature},
                                     std::pair{"d_pressure", &parts.d_pressure}})
        if (list->size() != n)
            return invalid_input(text(name, " must have ", count, " entries, got ",
                                      static_cast<std::uint64_t>(list->size())));
    if (parts.d_amounts.size() != n)
        return invalid_input(text("d_amounts must have ", count, " rows, got ",
                                  static_cast<std::uint64_t>(parts.d_amounts.size())));
    bool finite = all_finite(parts.ln_phi) && all_finite(parts.d_temperature) && all_finite(parts.d_pressure);
    for (const auto& row : parts.d_amounts) {
        if (row.size() != n)
            return invalid_input(text("every row of d_amounts must have ", count, " entries, got ",
                                      static_cast<std::uint64_t>(row.size())));
        finite = finite && all_finite(row);
    }
    if (!finite) return invalid_input("every entry must be finite");
    return parts;
}

std::string repr(const FugacityDerivatives& value)
{
    std::string out = "FugacityDerivatives(ln_phi=";
    append_list(out, value.ln_phi);
    out += ", d_temperature=";
    append_list(out, value.d_temperature);
    out += ", d_pressure=";
    append_list(out, value.d_pressure);
    out += ", d_amounts=[";
    for (std::size_t i = 0; i < value.d_amounts.size(); ++i) {
        if (i > 0) out += ", ";
        append_list(out, value.d_amounts[i]);
    }
    out += "])";
    return out;
}

}  // namespace kolvar::engine
