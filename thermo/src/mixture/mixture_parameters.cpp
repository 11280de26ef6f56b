// The mixing-rule entry points: checks, then the a/b stage of the rule, then
// the U/W stage of the equation of state.
#include "mixture/rules.hpp"

#include "kolvar/format.hpp"

#include <cstdio>
#include <cstdlib>

namespace kolvar::thermo {

void rules::internal_fault(const char* what)
{
    std::fprintf(stderr, "kolvar thermo: %s\n", what);
    std::abort();
}

template <class Real>
std::expected<void, EosError> mixture_parameters(const MixtureSpec& spec,
                                                 const BasicComponentParameters<Real>& components,
                                                 std::span<const StateScalar<Real>> x,
                                                 BasicMixtureParameters<Real>& out)
{
    if (auto checked = check_mixture(spec, components.eos, x.size()); !checked) return checked;
    const std::size_t n = spec.components.size();
    if (components.size() != n)
        return std::unexpected(EosError::dimension_mismatch(
            format::text("parameters of ", components.size(), " components but components.len()=", n)));

    // Every stage below writes all n entries of the lists it owns.
    out.a_bar.resize_for_overwrite(n);
    out.b_bar.resize_for_overwrite(n);
    out.u_bar.resize_for_overwrite(n);
    out.w_bar.resize_for_overwrite(n);
    const rule_data::RuleRow& rule = rule_data::row(spec.rule);
    if (rule.stage == rule_data::AbStage::Classical && spec.kij.empty() && !is_three_parameter(components.eos)) {
        rules::classical_two_parameter(components, x, out);
        return {};
    }
    switch (rule.stage) {
    case rule_data::AbStage::Classical: rules::classical(components, spec.kij, x, out); break;
    case rule_data::AbStage::IIVDW: rules::iivdw(components, spec.kij, x, out); break;
    case rule_data::AbStage::HuronVidalOriginal:
    case rule_data::AbStage::HuronVidalSimplified:
    case rule_data::AbStage::MHV2:
    case rule_data::AbStage::WongSandler:
        if (!spec.ge) rules::internal_fault("validated: GE rule has GeSpec");
        rules::ge_based(rule, *spec.ge, spec.activity, components, spec.kij, x, out);
        break;
    case rule_data::AbStage::None: rules::internal_fault("internal error: entered unreachable code: validated");
    }
    rules::third_parameter(components, x, out);
    return {};
}

template std::expected<void, EosError> mixture_parameters(const MixtureSpec&, const ComponentParameters&,
                                                          std::span<const double>, MixtureParameters&);
template std::expected<void, EosError> mixture_parameters(const MixtureSpec&, const BasicComponentParameters<Dual>&,
                                                          std::span<const double>, BasicMixtureParameters<Dual>&);
template std::expected<void, EosError> mixture_parameters(const MixtureSpec&, const BasicComponentParameters<Tangent>&,
                                                          std::span<const Tangent>, BasicMixtureParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template std::expected<void, EosError> mixture_parameters(const MixtureSpec&, \
        const BasicComponentParameters<R>&, std::span<const R>, BasicMixtureParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

std::expected<MixtureParameters, EosError> mixture_parameters(const MixtureSpec& spec, Eos eos, double temperature,
                                                              double pressure, std::span<const double> x)
{
    const ComponentParameters components = component_parameters(spec.components, eos, temperature, pressure);
    MixtureParameters out;
    if (auto done = mixture_parameters(spec, components, x, out); !done) return std::unexpected(done.error());
    return out;
}

}  // namespace kolvar::thermo
