// The subgroup bookkeeping of a mixture, prepared once when a system is
// built: which subgroups and main groups occur, the counts, r_i and q_i, the
// pure components' area fractions and the interactions, each checked
// against the published tables.
#include "thermo/group_contribution.hpp"

#include "activity/unifac_tables.hpp"
#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo {
namespace {

using format::Quoted;
using format::text;

// The index of `value` in `list`, appended when it is new.
template <class T>
std::size_t index_in(std::vector<T>& list, const T& value)
{
    const auto found = std::find(list.begin(), list.end(), value);
    if (found != list.end()) return static_cast<std::size_t>(found - list.begin());
    list.push_back(value);
    return list.size() - 1;
}

// "\"ethanol\"" or "\"ethanol\" and \"water\"": the components holding
// subgroups of the main group `main`.
std::string holders(GroupModel model, std::span<const Component> components, int main)
{
    std::vector<std::string> names;
    for (const Component& c : components)
        for (const GroupCount& g : groups_of(c, model))
            if (unifac::find_subgroup(model, g.subgroup)->main_group == main) {
                names.push_back(text(Quoted{c.name}));
                break;
            }
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return out;
}

}  // namespace

std::expected<GroupMixture, std::string> prepare_groups(GroupModel model, std::span<const Component> components)
{
    GroupMixture g;
    g.model = model;
    g.components = components.size();
    const char* model_name = name(model);

    // The distinct subgroups, in order of first appearance, and their main groups.
    std::vector<int> subgroups;
    std::vector<int> mains;
    for (const Component& c : components) {
        const auto& groups = groups_of(c, model);
        if (groups.empty())
            return std::unexpected(text(model_name, " cannot describe component ", Quoted{c.name}, ": it has no ",
                                        model_name, " groups (a compound of your own takes them as ",
                                        model == GroupModel::Original ? "unifac_groups" : "dortmund_groups", ")"));
        for (const GroupCount& count : groups) {
            if (std::find(subgroups.begin(), subgroups.end(), count.subgroup) != subgroups.end()) continue;
            subgroups.push_back(count.subgroup);
            g.main_of.push_back(index_in(mains, unifac::find_subgroup(model, count.subgroup)->main_group));
            g.area.push_back(unifac::find_subgroup(model, count.subgroup)->q);
        }
    }
    g.subgroups = subgroups.size();
    g.main_groups = mains.size();

    // Every ordered pair of distinct main groups needs its published interaction.
    const std::size_t m_count = mains.size();
    g.a.assign(m_count * m_count, 0.0);
    g.b.assign(m_count * m_count, 0.0);
    g.c.assign(m_count * m_count, 0.0);
    for (std::size_t m = 0; m < m_count; ++m) {
        for (std::size_t n = 0; n < m_count; ++n) {
            if (m == n) continue;
            const unifac::Interaction* pair = unifac::find_interaction(model, mains[m], mains[n]);
            if (pair == nullptr) {
                const std::size_t first = std::min(m, n);
                const std::size_t second = std::max(m, n);
                return std::unexpected(text(model_name, " has no interaction between main groups ",
                                            unifac::main_group_name(model, mains[first]), " and ",
                                            unifac::main_group_name(model, mains[second]), " (needed by ",
                                            holders(model, components, mains[first]), " with ",
                                            holders(model, components, mains[second]), ")"));
            }
            g.a[m * m_count + n] = pair->a;
            g.b[m * m_count + n] = pair->b;
            g.c[m * m_count + n] = pair->c;
        }
    }

    // Counts, r_i, q_i and the pure components' own subgroups with their area fractions.
    const std::size_t k_count = subgroups.size();
    g.counts.assign(components.size() * k_count, 0.0);
    g.pure_begin.push_back(0);
    for (std::size_t i = 0; i < components.size(); ++i) {
        double r = 0.0;
        double q = 0.0;
        const std::size_t begin = g.pure_group.size();
        for (const GroupCount& count : groups_of(components[i], model)) {
            const unifac::Subgroup* subgroup = unifac::find_subgroup(model, count.subgroup);
            const std::size_t k = static_cast<std::size_t>(
                std::find(subgroups.begin(), subgroups.end(), count.subgroup) - subgroups.begin());
            g.counts[i * k_count + k] = count.count;
            r += count.count * subgroup->r;
            q += count.count * subgroup->q;
            g.pure_group.push_back(k);
            g.pure_theta.push_back(count.count * subgroup->q);
        }
        if (!(q > 0.0))
            return std::unexpected(text(model_name, " cannot describe component ", Quoted{components[i].name},
                                        ": its subgroups have no surface area"));
        for (std::size_t j = begin; j < g.pure_theta.size(); ++j) g.pure_theta[j] /= q;
        g.pure_begin.push_back(g.pure_group.size());
        g.r.push_back(r);
        g.q.push_back(q);
        g.r_combinatorial.push_back(model == GroupModel::Dortmund ? std::pow(r, 0.75) : r);
    }
    return g;
}

}  // namespace kolvar::thermo
