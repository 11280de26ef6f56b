// The group-contribution liquids, UNIFAC and UNIFAC-Dortmund: what a mixture
// of compounds described by their subgroups needs, prepared once when a
// system is built, so that no evaluation looks anything up or allocates.
#pragma once

#include "thermo/activity.hpp"
#include "thermo/component.hpp"

#include <cstddef>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvar::thermo {

// The two published tables: the original model and the modified (Dortmund) one.
enum class GroupModel : unsigned { Original, Dortmund };

// The table an activity model reads, if it is a group-contribution model.
std::optional<GroupModel> group_model(ActivityModel model);

// "UNIFAC", "UNIFAC-Dortmund": the model names of the tables.
const char* name(GroupModel model);

// A compound's subgroup counts under a model (its record's unifac_groups or
// dortmund_groups).
const std::vector<GroupCount>& groups_of(const Component& component, GroupModel model);

// The subgroups of a mixture, prepared for the model's formulas: the distinct
// subgroups of all components (K of them) and their main groups (M), the
// counts nu_ki, the components' r_i and q_i, each pure component's area
// fractions and the main-group interactions, dense.
struct GroupMixture {
    GroupModel model = GroupModel::Original;
    std::size_t components = 0;  // n
    std::size_t subgroups = 0;   // K
    std::size_t main_groups = 0; // M
    std::vector<double> area;            // Q_k, K values
    std::vector<std::size_t> main_of;    // main-group index of subgroup k, K values
    std::vector<double> counts;          // nu_ki, row i (n x K)
    std::vector<double> r;               // r_i = sum_k nu_ki R_k
    std::vector<double> q;               // q_i = sum_k nu_ki Q_k
    std::vector<double> r_combinatorial; // r_i, or r_i^(3/4) for Dortmund
    // The subgroups of component i are pure_group[pure_begin[i] .. pure_begin[i + 1]),
    // with the area fractions theta_k^(i) of the pure component beside them.
    std::vector<std::size_t> pure_begin;
    std::vector<std::size_t> pure_group;
    std::vector<double> pure_theta;
    // a_mn, b_mn, c_mn between main-group indices, row m (M x M; 0 on the diagonal).
    std::vector<double> a;
    std::vector<double> b;
    std::vector<double> c;
};

// The mixture of `components` under `model`, or the first fault:
//   UNIFAC cannot describe component "methane": it has no UNIFAC groups (a
//   compound of your own takes them as unifac_groups)
//   UNIFAC has no interaction between main groups CH2 and H2S (needed by "a", "b")
// Allocates; done once, when a system is built.
std::expected<GroupMixture, std::string> prepare_groups(GroupModel model, std::span<const Component> components);

// A caller's subgroup counts for `model` ({subgroup name or number: count}),
// checked: each key a subgroup of the table, named once, each count a whole
// number from 1 to 1000. `what` names the mapping in messages
// ("component \"x\": unifac_groups").
//   ... has no UNIFAC subgroup "XY"
//   ... names subgroup CH3 twice
//   ... ["CH3"] must be a whole number from 1 to 1000, got 1.5
//   ... subgroup name "CHO" is shared by subgroups 20 and 26: give its number
std::expected<std::vector<GroupCount>, std::string> checked_groups(GroupModel model, const GroupMapping& given,
                                                                   const std::string& what);

// The counts as a caller gives them: keyed by subgroup name (by number where
// two subgroups share the name), in the order of `groups`.
GroupMapping group_mapping(GroupModel model, std::span<const GroupCount> groups);

}  // namespace kolvar::thermo
