// Compounds given by their constants: every value checked before it becomes
// a record, so that no correlation downstream sees a NaN, a zero critical
// pressure or a coefficient list of the wrong length.
#include "thermo/component.hpp"

#include "db/component_fields.hpp"
#include "db/component_table.hpp"
#include "kolvar/format.hpp"

#include <cmath>
#include <cstdint>
#include <optional>

namespace kolvar::thermo {
namespace {

using format::text;

// The keys a caller may give, in the order of the checks.
constexpr std::array<db::Field, 11> accepted_fields = {
    db::Field::Tc, db::Field::Pc, db::Field::Omega, db::Field::Zc, db::Field::Vc,
    db::Field::Tb, db::Field::Mw, db::Field::PsatCoeffs, db::Field::CpCoeffs, db::Field::LiquidVolume, db::Field::Tm};

const char* accepted_keys = "name, tc, pc, omega, zc, vc, tb, mw, psat_coeffs, cp_coeffs, liquid_volume, tm";

bool accepted(db::Field f)
{
    for (db::Field a : accepted_fields)
        if (a == f) return true;
    return false;
}

const char* kind_of(const ConstantValue& value)
{
    switch (value.index()) {
    case 0: return "None";
    case 1: return "a text";
    case 2: return "a number";
    default: return "a list";
    }
}

// The checks of one compound, each returning the message of its first fault.
class Checker {
public:
    explicit Checker(std::string name) : name_(std::move(name)) {}

    template <class... Pieces>
    std::unexpected<std::string> fail(const Pieces&... pieces) const
    {
        return std::unexpected(text("component ", format::Quoted{name_}, ": ", pieces...));
    }

    std::expected<double, std::string> positive(std::string_view key, double v) const
    {
        if (std::isfinite(v) && v > 0.0) return v;
        return fail(key, " must be positive and finite, got ", v);
    }

    std::expected<double, std::string> between(std::string_view key, double v, double low, double high) const
    {
        if (std::isfinite(v) && v > low && v < high) return v;
        return fail(key, " must lie between ", low, " and ", high, ", got ", v);
    }

    std::expected<void, std::string> finite_entries(std::string_view key, const std::vector<double>& values) const
    {
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!std::isfinite(values[i]))
                return fail(key, "[", static_cast<std::uint64_t>(i), "] must be finite, got ", values[i]);
        return {};
    }

private:
    std::string name_;
};

}  // namespace

std::span<const std::string> database_names() { return db::component_table().document_order; }

std::expected<Component, std::string> component_from_constants(const ComponentConstants& constants)
{
    const std::string* name = nullptr;
    for (const auto& [key, value] : constants)
        if (key == "name") name = std::get_if<std::string>(&value);
    if (name == nullptr || name->empty())
        return std::unexpected(std::string("component constants need a name (a non-empty text under the key name)"));
    const Checker check(*name);

    // Unknown, repeated and mistyped keys, in the order given.
    std::array<const ConstantValue*, db::field_count> given{};
    bool name_seen = false;
    for (const auto& [key, value] : constants) {
        if (key == "name") {
            if (name_seen) return check.fail("key name given twice");
            name_seen = true;
            continue;
        }
        const auto field = db::field_of(key);
        if (!field || !accepted(*field))
            return check.fail("unknown key ", format::Quoted{key}, " (accepted: ", accepted_keys, ")");
        auto& slot = given[static_cast<std::size_t>(*field)];
        if (slot) return check.fail("key ", key, " given twice");
        slot = &value;
        const bool list = db::is_list_field(*field);
        const bool absent_volume = db::is_optional_field(*field) && std::holds_alternative<std::monostate>(value);
        if (!absent_volume && !(list ? std::holds_alternative<std::vector<double>>(value)
                                     : std::holds_alternative<double>(value)))
            return check.fail(key, " must be ", list ? "a list of numbers" : "a number", ", got ", kind_of(value));
    }
    for (db::Field f : accepted_fields)
        if (!db::is_optional_field(f) && !given[static_cast<std::size_t>(f)])
            return check.fail("missing key ", db::field_name(f));

    auto number = [&](db::Field f) { return std::get<double>(*given[static_cast<std::size_t>(f)]); };
    auto list = [&](db::Field f) -> const std::vector<double>& {
        return std::get<std::vector<double>>(*given[static_cast<std::size_t>(f)]);
    };

    Component c;
    c.name = *name;
    auto tc = check.positive("tc", number(db::Field::Tc));
    if (!tc) return std::unexpected(tc.error());
    auto pc = check.positive("pc", number(db::Field::Pc));
    if (!pc) return std::unexpected(pc.error());
    auto omega = check.between("omega", number(db::Field::Omega), -1.0, 3.0);
    if (!omega) return std::unexpected(omega.error());
    auto zc = check.between("zc", number(db::Field::Zc), 0.0, 1.0);
    if (!zc) return std::unexpected(zc.error());
    auto vc = check.positive("vc", number(db::Field::Vc));
    if (!vc) return std::unexpected(vc.error());
    auto tb = check.positive("tb", number(db::Field::Tb));
    if (!tb) return std::unexpected(tb.error());
    if (!(*tb < *tc)) return check.fail("tb must lie below tc = ", *tc, " K, got ", *tb);
    auto mw = check.positive("mw", number(db::Field::Mw));
    if (!mw) return std::unexpected(mw.error());
    c.tc = *tc;
    c.pc = *pc;
    c.omega = *omega;
    c.zc = *zc;
    c.vc = *vc;
    c.tb = *tb;
    c.mw = *mw;

    c.psat_coeffs = list(db::Field::PsatCoeffs);
    const std::size_t n_psat = c.psat_coeffs.size();
    if (n_psat != 3 && n_psat != 5)
        return check.fail("psat_coeffs must have 3 (Antoine) or 5 (Polynomial) entries, got ",
                          static_cast<std::uint64_t>(n_psat));
    if (auto ok = check.finite_entries("psat_coeffs", c.psat_coeffs); !ok) return std::unexpected(ok.error());
    if (n_psat == 3 && !(c.psat_coeffs[2] + c.tb > 0.0))
        return check.fail("psat_coeffs[2] = ", c.psat_coeffs[2], " leaves Antoine undefined at tb = ", c.tb, " K");
    c.saturation_model = n_psat == 3 ? SaturationModel::Antoine : SaturationModel::Polynomial;

    c.cp_coeffs = list(db::Field::CpCoeffs);
    if (c.cp_coeffs.size() != 5)
        return check.fail("cp_coeffs must have 5 entries, got ", static_cast<std::uint64_t>(c.cp_coeffs.size()));
    if (auto ok = check.finite_entries("cp_coeffs", c.cp_coeffs); !ok) return std::unexpected(ok.error());

    if (const ConstantValue* volume = given[static_cast<std::size_t>(db::Field::LiquidVolume)];
        volume && std::holds_alternative<double>(*volume)) {
        auto v = check.positive("liquid_volume", std::get<double>(*volume));
        if (!v) return std::unexpected(v.error());
        c.liquid_volume = *v;
    }
    if (const ConstantValue* melting = given[static_cast<std::size_t>(db::Field::Tm)];
        melting && std::holds_alternative<double>(*melting)) {
        auto tm = check.positive("tm", std::get<double>(*melting));
        if (!tm) return std::unexpected(tm.error());
        if (!(*tm < c.tc)) return check.fail("tm must lie below tc = ", c.tc, " K, got ", *tm);
        c.tm = *tm;
    }
    return c;
}

ComponentConstants constants_of(const Component& c)
{
    ComponentConstants out{{"name", c.name},       {"tc", c.tc}, {"pc", c.pc}, {"omega", c.omega},
                           {"zc", c.zc},           {"vc", c.vc}, {"tb", c.tb}, {"mw", c.mw},
                           {"psat_coeffs", c.psat_coeffs},       {"cp_coeffs", c.cp_coeffs}};
    if (c.liquid_volume) out.emplace_back("liquid_volume", *c.liquid_volume);
    if (c.tm) out.emplace_back("tm", *c.tm);
    return out;
}

}  // namespace kolvar::thermo
