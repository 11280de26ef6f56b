// Lookups in the generated group tables, and the subgroup counts a caller
// gives, checked against them.
#include "activity/unifac_tables.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kolvar::thermo {
namespace unifac {

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    const auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

namespace {

// The number a key spells, digits only.
std::optional<int> spelled_number(std::string_view key)
{
    if (key.empty() || key.size() > 6) return std::nullopt;
    int value = 0;
    for (char ch : key) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    return value;
}

}  // namespace

const Subgroup* find_subgroup(GroupModel model, int number)
{
    const auto groups = table(model).subgroups;
    const auto found = std::lower_bound(groups.begin(), groups.end(), number,
                                         [](const Subgroup& s, int k) { return s.number < k; });
    return found != groups.end() && found->number == number ? &*found : nullptr;
}

const char* main_group_name(GroupModel model, int number)
{
    for (const MainGroup& main : table(model).main_groups)
        if (main.number == number) return main.name;
    return "?";
}

const Interaction* find_interaction(GroupModel model, int m, int n)
{
    const auto pairs = table(model).interactions;
    const auto found = std::lower_bound(pairs.begin(), pairs.end(), std::pair{m, n}, [](const Interaction& i, auto key) {
        return std::pair{i.m, i.n} < key;
    });
    return found != pairs.end() && found->m == m && found->n == n ? &*found : nullptr;
}

const Subgroup* named_subgroup(GroupModel model, std::string_view key, bool* ambiguous)
{
    if (ambiguous != nullptr) *ambiguous = false;
    if (const auto number = spelled_number(key)) return find_subgroup(model, *number);
    const Subgroup* found = nullptr;
    for (const Subgroup& s : table(model).subgroups) {
        if (!same_name(s.name, key)) continue;
        if (found != nullptr) {
            if (ambiguous != nullptr) *ambiguous = true;
            return nullptr;
        }
        found = &s;
    }
    return found;
}

bool name_is_shared(GroupModel model, const Subgroup& subgroup)
{
    for (const Subgroup& s : table(model).subgroups)
        if (s.number != subgroup.number && same_name(s.name, subgroup.name)) return true;
    return false;
}

}  // namespace unifac

std::optional<GroupModel> group_model(ActivityModel model)
{
    if (model == ActivityModel::UNIFAC) return GroupModel::Original;
    if (model == ActivityModel::UNIFACDortmund) return GroupModel::Dortmund;
    return std::nullopt;
}

const char* name(GroupModel model) { return model == GroupModel::Original ? "UNIFAC" : "UNIFAC-Dortmund"; }

const std::vector<GroupCount>& groups_of(const Component& component, GroupModel model)
{
    return model == GroupModel::Original ? component.unifac_groups : component.dortmund_groups;
}

std::expected<std::vector<GroupCount>, std::string> checked_groups(GroupModel model, const GroupMapping& given,
                                                                   const std::string& what)
{
    using format::Quoted;
    using format::text;
    std::vector<GroupCount> out;
    out.reserve(given.size());
    for (const auto& [key, count] : given) {
        bool ambiguous = false;
        const unifac::Subgroup* subgroup = unifac::named_subgroup(model, key, &ambiguous);
        if (ambiguous) {
            std::string numbers;
            for (const unifac::Subgroup& s : unifac::table(model).subgroups)
                if (unifac::same_name(s.name, key)) numbers += (numbers.empty() ? "" : " and ") + std::to_string(s.number);
            return std::unexpected(
                text(what, ": subgroup name ", Quoted{key}, " is shared by subgroups ", numbers, ": give its number"));
        }
        if (subgroup == nullptr) return std::unexpected(text(what, " has no ", name(model), " subgroup ", Quoted{key}));
        for (const GroupCount& earlier : out)
            if (earlier.subgroup == subgroup->number)
                return std::unexpected(text(what, " names subgroup ", subgroup->name, " twice"));
        if (!(count >= 1.0 && count <= 1000.0 && count == std::floor(count)))
            return std::unexpected(
                text(what, "[", Quoted{key}, "] must be a whole number from 1 to 1000, got ", count));
        out.push_back({subgroup->number, static_cast<int>(count)});
    }
    return out;
}

GroupMapping group_mapping(GroupModel model, std::span<const GroupCount> groups)
{
    GroupMapping out;
    out.reserve(groups.size());
    for (const GroupCount& g : groups) {
        const unifac::Subgroup* subgroup = unifac::find_subgroup(model, g.subgroup);
        const bool by_number = subgroup == nullptr || unifac::name_is_shared(model, *subgroup);
        out.emplace_back(by_number ? std::to_string(g.subgroup) : std::string(subgroup->name),
                         static_cast<double>(g.count));
    }
    return out;
}

}  // namespace kolvar::thermo
