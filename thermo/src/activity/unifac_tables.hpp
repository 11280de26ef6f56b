// The published group tables of the two group-contribution liquids: the
// subgroups with their volume R_k, area Q_k and main group, and the
// interactions by ordered pair of main groups. The numbers are generated
// source (unifac_tables.cpp, written by tools/generate_unifac_tables.py).
#pragma once

#include "thermo/group_contribution.hpp"

#include <optional>
#include <span>
#include <string_view>

namespace kolvar::thermo::unifac {

struct Subgroup {
    int number;
    const char* name;
    int main_group;
    double r;  // volume R_k
    double q;  // area Q_k
};

struct MainGroup {
    int number;
    const char* name;
};

// Psi_mn = exp(-(a + b T + c T^2)/T); the original model has b = c = 0.
struct Interaction {
    int m;
    int n;
    double a;  // K
    double b;
    double c;  // 1/K
};

// Each list sorted by number (interactions by (m, n)); a pair m = n is never
// listed (its Psi is 1).
struct GroupTable {
    std::span<const Subgroup> subgroups;
    std::span<const MainGroup> main_groups;
    std::span<const Interaction> interactions;
};

const GroupTable& table(GroupModel model);

const Subgroup* find_subgroup(GroupModel model, int number);
const char* main_group_name(GroupModel model, int number);
const Interaction* find_interaction(GroupModel model, int m, int n);

// The subgroup a caller names: its number written out ("1") or its name in
// any case ("CH3", "oh(p)"). A name that two subgroups share resolves to
// neither (`ambiguous` is then set) and must be given by number.
const Subgroup* named_subgroup(GroupModel model, std::string_view key, bool* ambiguous = nullptr);

// Equal but for the case of ASCII letters: how subgroup names match.
bool same_name(std::string_view a, std::string_view b);

// Whether another subgroup of the model bears the same name, so that the
// name alone does not say which one is meant.
bool name_is_shared(GroupModel model, const Subgroup& subgroup);

}  // namespace kolvar::thermo::unifac
