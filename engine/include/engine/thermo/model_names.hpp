// The names by which callers choose the thermodynamic models: each
// enumeration's variant names ("RKS1972", "HuronVidalOriginal", "Wilson",
// "Antoine"), and the vapour descriptions "IdealGas", "Virial" and every
// equation-of-state name. Names are matched without regard to the case of
// ASCII letters ("rks1972", "nrtl"); the lists give the canonical spelling.
#pragma once

#include "thermo/activity.hpp"
#include "thermo/component.hpp"
#include "thermo/eos.hpp"
#include "thermo/flash.hpp"
#include "thermo/mixing_rule.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::engine {

// Accepted names, in declaration order: only names that can work where they
// are given. The mixing rules leave out the C-parameter rules, which the
// three-parameter equations of state imply and no system takes as its rule;
// the saturation list leaves out Maxwell, which no entry point computes.
std::vector<std::string> eos_names();
std::vector<std::string> mixing_rule_names();
std::vector<std::string> activity_model_names();
std::vector<std::string> saturation_model_names();
std::vector<std::string> vapour_model_names();

// The variant of a name, or nothing. mixing_rule_named also knows the
// C-parameter rules and saturation_model_named Maxwell, so that a system can
// refuse them with the library's own text. eos_named also takes the short
// names PR (and Peng-Robinson), SRK (Soave-Redlich-Kwong), RK (Redlich-Kwong),
// VdW (van der Waals) and PRSV, in any case.
std::optional<thermo::Eos> eos_named(std::string_view name);
std::optional<thermo::MixingRule> mixing_rule_named(std::string_view name);
std::optional<thermo::ActivityModel> activity_model_named(std::string_view name);
std::optional<thermo::SaturationModel> saturation_model_named(std::string_view name);
std::optional<thermo::VaporModel> vapour_model_named(std::string_view name);

// "IdealGas", "Virial" or the equation of state's name.
std::string name(const thermo::VaporModel& vapour);

}  // namespace kolvar::engine
