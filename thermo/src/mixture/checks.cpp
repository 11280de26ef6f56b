// Names of the mixing rules and the checks that reject an inconsistent mixture
// description before any arithmetic.
#include "thermo/mixing_rule.hpp"

#include "mixture/rule_table.hpp"

#include "kolvar/format.hpp"

#include <string>
#include <utility>

namespace kolvar::thermo {
namespace {

bool is_c_parameter_rule(MixingRule rule) { return rule_data::row(rule).kind == rule_data::RuleKind::CParameter; }

bool kij_fits(std::span<const std::vector<double>> kij, std::size_t n)
{
    if (kij.empty()) return true;
    if (kij.size() != n) return false;
    for (const auto& row : kij)
        if (row.size() != n) return false;
    return true;
}

}  // namespace

const char* name(MixingRule rule) { return rule_data::row(rule).name; }

bool is_ge_based(MixingRule rule) { return rule_data::row(rule).kind == rule_data::RuleKind::ExcessGibbs; }

std::expected<void, EosError> check_mixture(const MixtureSpec& spec, Eos eos, std::size_t composition_size)
{
    using format::text;
    const std::size_t n = spec.components.size();
    if (n != composition_size)
        return std::unexpected(EosError::dimension_mismatch(
            text("components.len()=", n, " but composition.len()=", composition_size)));
    if (!kij_fits(spec.kij, n))
        return std::unexpected(EosError::dimension_mismatch(text("kij must be empty or ", n, "\u00d7", n)));

    const char* rule = name(spec.rule);
    if (!is_ge_based(spec.rule)) {
        if (is_c_parameter_rule(spec.rule))
            return std::unexpected(EosError::unsupported_combination(
                text(rule, " is a C-parameter rule; pass Classical/IVDW as the a/b rule (the C rule is implied by "
                           "the 3-parameter EOS variant)")));
        return {};
    }
    if (!spec.ge)
        return std::unexpected(
            EosError::unsupported_combination(text("mixing rule ", rule, " requires an activity model (GeSpec)")));
    if (is_three_parameter(eos))
        return std::unexpected(EosError::unsupported_combination(
            text("GE-based rule ", rule, " with 3-parameter EOS ", name(eos),
                 " is not supported (the legacy programs pair 3-parameter EOS with classical a/b mixing only)")));
    if (auto inputs = check_activity_inputs(spec.ge->model, spec.activity, n); !inputs)
        return std::unexpected(EosError::dimension_mismatch(std::move(inputs.error())));
    return {};
}

}  // namespace kolvar::thermo
