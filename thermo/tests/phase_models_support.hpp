// Every way the system description can write a phase, on one binary: shared
// by the tests of the phase fugacity's temperature slopes and of its full
// gradient.
#pragma once

#include "eos_test_support.hpp"
#include "thermo/flash.hpp"

#include <string>
#include <utility>
#include <vector>

namespace kolvar::thermo::testing {

// One system description per way of writing a phase: every liquid model,
// every vapour model, the vapour-pressure alpha of PROL1998, the Poynting
// factor and four saturation correlations.
inline std::vector<std::pair<std::string, SystemSpec>> every_model(const Binary& b)
{
    using K = ActivityModel;
    static const std::vector<SaturationModel> corresponding_states{SaturationModel::Riedel, SaturationModel::Muller};
    static const std::vector<SaturationModel> rpm{SaturationModel::RPM, SaturationModel::RPM};
    // NRTL (a, b, alpha) and UNIQUAC (a, b, r, q) of a binary.
    static const std::vector<std::vector<double>> a{{0.0, -0.8}, {3.4, 0.0}}, b_over_t{{0.0, 246.0}, {-586.0, 0.0}},
        alpha{{0.0, 0.3}, {0.3, 0.0}};
    static const std::vector<double> r{1.4311, 0.92}, q{1.432, 1.4};
    const ActivityInputs nrtl{.parameters = a, .b = b_over_t, .alpha = alpha};
    const ActivityInputs uniquac{.parameters = a, .b = b_over_t, .r = r, .q = q};
    std::vector<std::pair<std::string, SystemSpec>> out;
    for (Eos eos : {Eos::PR1976, Eos::PROL1998, Eos::SchmidtWenzel})
        out.push_back({std::string("phi-phi ") + name(eos),
                       {.liquid = liquid::PhiPhi{eos}, .components = b.components,
                        .vapor = VaporModel::equation_of_state(eos)}});
    out.push_back({"phi-phi MHV2 Wilson", {.liquid = liquid::PhiPhi{Eos::RKS1972}, .components = b.components,
                                           .activity = {.parameters = b.wilson, .molar_volumes = b.volumes},
                                           .ge = GeSpec{K::Wilson}, .mixing_rule = MixingRule::MHV2,
                                           .vapor = VaporModel::equation_of_state(Eos::RKS1972)}});
    out.push_back({"phi-phi MHV1 NRTL", {.liquid = liquid::PhiPhi{Eos::PR1976}, .components = b.components,
                                         .activity = nrtl, .ge = GeSpec{K::NRTL}, .mixing_rule = MixingRule::MHV1,
                                         .vapor = VaporModel::equation_of_state(Eos::PR1976)}});
    for (VaporModel vapour : {VaporModel::ideal_gas(), VaporModel::virial(), VaporModel::equation_of_state(Eos::PR1976)}) {
        for (K model : {K::VanLaar, K::Wilson, K::RegularSolution, K::Margules}) {
            const std::string label = std::string("gamma-phi ") + name(model) + " vapour " +
                                      std::to_string(static_cast<unsigned>(vapour.kind));
            SystemSpec spec{.liquid = liquid::GammaPhi{model}, .components = b.components,
                            .activity = {.parameters = model == K::Wilson ? b.wilson : b.dimensionless,
                                         .molar_volumes = b.volumes, .solubility_parameters = b.solubility},
                            .vapor = vapour};
            out.push_back({label, spec});
            spec.poynting = true;
            spec.saturation_models = model == K::Wilson ? corresponding_states : rpm;
            out.push_back({label + " Poynting", spec});
        }
        for (K model : {K::NRTL, K::UNIQUAC})
            out.push_back({std::string("gamma-phi ") + name(model),
                           {.liquid = liquid::GammaPhi{model}, .components = b.components,
                            .activity = model == K::NRTL ? nrtl : uniquac, .vapor = vapour}});
        out.push_back({"ideal solution", {.liquid = liquid::IdealSolution{}, .components = b.components, .vapor = vapour}});
        out.push_back({"Grayson-Streed", {.liquid = liquid::GraysonStreed{}, .components = b.components, .vapor = vapour}});
    }
    return out;
}

}  // namespace kolvar::thermo::testing
