// The mixing rules as data: one row per rule with its name, its kind, the a/b
// stage it runs and the reference constants of the excess-Gibbs-energy rules.
#pragma once

#include "thermo/mixing_rule.hpp"

#include <array>
#include <cstddef>

namespace kolvar::thermo::rule_data {

// What a rule is.
enum class RuleKind {
    AB,            // a/b rule from the per-component parameters and kij
    ExcessGibbs,   // a/b rule from the excess Gibbs energy of an activity model
    CParameter,    // third-parameter rule, implied by its three-parameter variant
};

// The a/b stage a rule runs; each is one function of ab_rules.cpp or ge_rules.cpp.
enum class AbStage {
    None,                  // C-parameter rules: never an a/b rule
    Classical,             // s_i = sum_j x_j sqrt(A_i A_j)(1 - k_ij)
    IIVDW,                 // composition-dependent interaction
    HuronVidalOriginal,    // alpha = sum x_i alpha_i + (gE/RT)/q
    HuronVidalSimplified,  // alpha = sum x_i alpha_i + (gE/RT + sum x_i ln(B/B_i))/q
    MHV2,                  // q2 alpha^2 + q1 alpha = gE/RT + sum x_i ln(B/B_i) + sum x_i (q1 alpha_i + q2 alpha_i^2)
    WongSandler,           // B = Q/(1 - D), A = B D
};

// Where the reference constant q of an excess-Gibbs-energy rule comes from.
enum class Reference {
    None,    // not an excess-Gibbs-energy rule
    Lambda,  // q = -Lambda(u, w) of the variant's family
    Fixed,   // q = q[0] (and q2 = q[1] for MHV2), whatever the variant
};

struct RuleRow {
    MixingRule rule;  // the row's rule: rows stand in declaration order
    const char* name;
    RuleKind kind;
    AbStage stage;
    Reference reference;
    std::array<double, 2> q;  // Fixed: the reference constants (unused entries 0)
};

// Indexed by the rule's declaration index.
inline constexpr std::array<RuleRow, mixing_rule_count> rules{{
    // rule                             name                    kind                   a/b stage                       reference           q
    {MixingRule::WongSandler,          "WongSandler",          RuleKind::ExcessGibbs, AbStage::WongSandler,          Reference::Lambda, {}},
    {MixingRule::HuronVidalOriginal,   "HuronVidalOriginal",   RuleKind::ExcessGibbs, AbStage::HuronVidalOriginal,   Reference::Lambda, {}},
    {MixingRule::HuronVidalSimplified, "HuronVidalSimplified", RuleKind::ExcessGibbs, AbStage::HuronVidalSimplified, Reference::Lambda, {}},
    {MixingRule::MHV1,                 "MHV1",                 RuleKind::ExcessGibbs, AbStage::HuronVidalSimplified, Reference::Fixed,  {-0.593, 0.0}},
    {MixingRule::MHV2,                 "MHV2",                 RuleKind::ExcessGibbs, AbStage::MHV2,                 Reference::Fixed,  {-0.478, -0.0047}},
    {MixingRule::IVDW,                 "IVDW",                 RuleKind::AB,          AbStage::Classical,            Reference::None,   {}},
    {MixingRule::IIVDW,                "IIVDW",                RuleKind::AB,          AbStage::IIVDW,                Reference::None,   {}},
    {MixingRule::Classical,            "Classical",            RuleKind::AB,          AbStage::Classical,            Reference::None,   {}},
    {MixingRule::PatelTejaC,           "PatelTejaC",           RuleKind::CParameter,  AbStage::None,                 Reference::None,   {}},
    {MixingRule::PatelTejaUSBC,        "PatelTejaUSBC",        RuleKind::CParameter,  AbStage::None,                 Reference::None,   {}},
    {MixingRule::SchmidtWenzelC,       "SchmidtWenzelC",       RuleKind::CParameter,  AbStage::None,                 Reference::None,   {}},
}};

inline const RuleRow& row(MixingRule rule) { return rules[static_cast<unsigned>(rule)]; }

// Every row filled, in declaration order, and consistent: an excess-Gibbs-energy
// rule runs an excess-Gibbs-energy stage with a reference constant (both for
// MHV2), an a/b rule a van der Waals stage without one, a C-parameter rule no
// a/b stage.
constexpr bool rules_complete()
{
    if (static_cast<std::size_t>(MixingRule::SchmidtWenzelC) + 1 != mixing_rule_count) return false;  // the last rule
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const RuleRow& r = rules[i];
        if (static_cast<std::size_t>(r.rule) != i || r.name == nullptr || r.name[0] == '\0') return false;
        const bool van_der_waals = r.stage == AbStage::Classical || r.stage == AbStage::IIVDW;
        const bool fixed = r.reference == Reference::Fixed;
        const bool filled = fixed ? r.q[0] != 0.0 && (r.stage == AbStage::MHV2) == (r.q[1] != 0.0)
                                  : r.q[0] == 0.0 && r.q[1] == 0.0;
        if (!filled) return false;
        switch (r.kind) {
        case RuleKind::AB:
            if (!van_der_waals || r.reference != Reference::None) return false;
            break;
        case RuleKind::ExcessGibbs:
            if (van_der_waals || r.stage == AbStage::None || r.reference == Reference::None) return false;
            break;
        case RuleKind::CParameter:
            if (r.stage != AbStage::None || r.reference != Reference::None) return false;
            break;
        }
    }
    return true;
}
static_assert(rules_complete(), "one filled row per MixingRule, in declaration order");

}  // namespace kolvar::thermo::rule_data
