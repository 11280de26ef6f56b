#include "engine/thermo/model_names.hpp"

#include "thermo/activity_table.hpp"
#include "thermo/saturation.hpp"

#include <cstddef>
#include <utility>

namespace kolvar::engine {
namespace {

// Every variant of an enumeration of `count` variants, by its name.
template <class Enum>
std::vector<std::string> names_of(std::size_t count)
{
    std::vector<std::string> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) out.emplace_back(thermo::name(static_cast<Enum>(i)));
    return out;
}

// Equal but for the case of ASCII letters: "pr1976" names PR1976, as
// "Benzene" names benzene.
bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

template <class Enum>
std::optional<Enum> named(std::string_view name, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (same_name(name, thermo::name(static_cast<Enum>(i)))) return static_cast<Enum>(i);
    return std::nullopt;
}

// Whether the library takes the rule as the mixing rule of some equation of
// state (with an activity model where the rule needs one). The C-parameter
// rules never are: each three-parameter equation of state implies its own.
bool offered(thermo::MixingRule rule)
{
    thermo::MixtureSpec spec{.rule = rule};
    if (thermo::is_ge_based(rule)) spec.ge = thermo::GeSpec{thermo::ActivityModel::IdealLiquid};
    for (std::size_t i = 0; i < thermo::eos_count; ++i)
        if (thermo::check_mixture(spec, static_cast<thermo::Eos>(i), 0)) return true;
    return false;
}

// The short names by which the common equations of state are known.
constexpr std::pair<std::string_view, thermo::Eos> eos_aliases[] = {
    {"PR", thermo::Eos::PR1976},        {"Peng-Robinson", thermo::Eos::PR1976},
    {"SRK", thermo::Eos::RKS1972},      {"Soave-Redlich-Kwong", thermo::Eos::RKS1972},
    {"RK", thermo::Eos::RK1949},        {"Redlich-Kwong", thermo::Eos::RK1949},
    {"VdW", thermo::Eos::VdW1870},      {"van der Waals", thermo::Eos::VdW1870},
    {"PRSV", thermo::Eos::PRSV1986},
};

constexpr std::size_t activity_model_count = thermo::activity_data::model_count;
constexpr std::size_t saturation_model_count = static_cast<std::size_t>(thermo::SaturationModel::Maxwell) + 1;

}  // namespace

std::vector<std::string> eos_names() { return names_of<thermo::Eos>(thermo::eos_count); }
std::vector<std::string> mixing_rule_names()
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < thermo::mixing_rule_count; ++i) {
        const auto rule = static_cast<thermo::MixingRule>(i);
        if (offered(rule)) out.emplace_back(thermo::name(rule));
    }
    return out;
}
std::vector<std::string> activity_model_names() { return names_of<thermo::ActivityModel>(activity_model_count); }
std::vector<std::string> saturation_model_names()
{
    return names_of<thermo::SaturationModel>(saturation_model_count - 1);  // not Maxwell
}

std::vector<std::string> vapour_model_names()
{
    std::vector<std::string> out{"IdealGas", "Virial"};
    for (std::string& eos : eos_names()) out.push_back(std::move(eos));
    return out;
}

std::optional<thermo::Eos> eos_named(std::string_view name)
{
    if (auto eos = named<thermo::Eos>(name, thermo::eos_count)) return eos;
    for (const auto& [alias, eos] : eos_aliases)
        if (same_name(name, alias)) return eos;
    return std::nullopt;
}
std::optional<thermo::MixingRule> mixing_rule_named(std::string_view name)
{
    return named<thermo::MixingRule>(name, thermo::mixing_rule_count);
}
std::optional<thermo::ActivityModel> activity_model_named(std::string_view name)
{
    return named<thermo::ActivityModel>(name, activity_model_count);
}
std::optional<thermo::SaturationModel> saturation_model_named(std::string_view name)
{
    return named<thermo::SaturationModel>(name, saturation_model_count);
}

std::optional<thermo::VaporModel> vapour_model_named(std::string_view name)
{
    if (same_name(name, "IdealGas")) return thermo::VaporModel::ideal_gas();
    if (same_name(name, "Virial")) return thermo::VaporModel::virial();
    if (auto eos = eos_named(name)) return thermo::VaporModel::equation_of_state(*eos);
    return std::nullopt;
}

std::string name(const thermo::VaporModel& vapour)
{
    switch (vapour.kind) {
    case thermo::VaporModel::Kind::IdealGas: return "IdealGas";
    case thermo::VaporModel::Kind::Virial: return "Virial";
    case thermo::VaporModel::Kind::Eos: break;
    }
    return thermo::name(vapour.eos);
}

}  // namespace kolvar::engine
