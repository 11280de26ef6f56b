#include "activity_parameters.hpp"

#include "input_checks.hpp"

#include "kolvar/format.hpp"
#include "thermo/activity_table.hpp"

#include <cstdint>
#include <string>
#include <utility>

namespace kolvar::engine {
namespace {

using format::Quoted;
using format::text;
using thermo::activity_data::Bound;
using thermo::activity_data::Input;
using thermo::activity_data::ModelRow;
using thermo::activity_data::Shape;

std::uint64_t count(std::size_t n) { return static_cast<std::uint64_t>(n); }

// The owned input an Input names (Data is ActivityData, const or not).
template <class Data>
auto& matrix_of(Data& data, Input input)
{
    switch (input) {
    case Input::B: return data.b;
    case Input::Alpha: return data.alpha;
    default: return data.parameters;
    }
}

template <class Data>
auto& list_of(Data& data, Input input)
{
    switch (input) {
    case Input::R: return data.r;
    case Input::Q: return data.q;
    case Input::Volumes: return data.volumes;
    default: return data.solubility;
    }
}

// "\"a\", \"b\" and \"alpha\"".
std::string key_list(const ModelRow& row)
{
    std::string out;
    const std::size_t keys = row.key_count();
    for (std::size_t k = 0; k < keys; ++k) {
        if (k > 0) out += k + 1 == keys ? " and " : ", ";
        out += text(Quoted{row.keys[k].name});
    }
    return out;
}

// What a value that is not of the expected shape was.
std::string kind_of(const KeyedValue& value)
{
    if (std::holds_alternative<double>(value)) return "a number";
    if (std::holds_alternative<Matrix>(value)) return "a matrix";
    return "a list";
}

Result<void> take_matrix(std::string_view label, const KeyedValue& value, Bound bound, std::size_t n, Matrix& out)
{
    const auto* matrix = std::get_if<Matrix>(&value);
    if (matrix == nullptr) {
        // An empty list reads as an empty matrix: no rows.
        const auto* list = std::get_if<std::vector<double>>(&value);
        if (list == nullptr || !list->empty())
            return invalid_input(text(label, " must have ", count(n), " rows of ", count(n), " values, got ",
                                      kind_of(value)));
        return exact_shape(label, Matrix{}, n, n);
    }
    if (auto ok = exact_shape(label, *matrix, n, n); !ok) return ok;
    if (auto ok = finite_entries(label, *matrix); !ok) return ok;
    if (bound == Bound::NonNegativeOffDiagonal)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                if (i != j && (*matrix)[i][j] < 0.0)
                    return invalid_input(
                        text(label, "[", count(i), "][", count(j), "] must be non-negative, got ", (*matrix)[i][j]));
    out = *matrix;
    return {};
}

Result<void> take_list(std::string_view label, const KeyedValue& value, Bound bound, std::size_t n,
                       std::vector<double>& out)
{
    const auto* list = std::get_if<std::vector<double>>(&value);
    if (list == nullptr) return invalid_input(text(label, " must have ", count(n), " values, got ", kind_of(value)));
    if (list->size() != n) return invalid_input(text(label, " must have ", count(n), " values, got ", count(list->size())));
    if (auto ok = finite_entries(label, *list); !ok) return ok;
    if (bound == Bound::Positive)
        for (std::size_t i = 0; i < n; ++i)
            if (!((*list)[i] > 0.0))
                return invalid_input(text(label, "[", count(i), "] must be positive, got ", (*list)[i]));
    out = *list;
    return {};
}

Result<void> take_keyed(const ModelRow& row, std::string_view what, const KeyedParameters& given, std::size_t n,
                        ActivityData& out)
{
    const std::size_t keys = row.key_count();
    for (std::size_t e = 0; e < given.size(); ++e) {
        const std::string& key = given[e].first;
        bool known = false;
        for (std::size_t k = 0; k < keys; ++k) known = known || key == row.keys[k].name;
        if (!known)
            return invalid_input(text(what, " of ", row.name, " has an unknown key ", Quoted{key}, " (", row.name,
                                      " reads ", key_list(row), ")"));
        for (std::size_t earlier = 0; earlier < e; ++earlier)
            if (given[earlier].first == key)
                return invalid_input(text(what, " of ", row.name, " has the key ", Quoted{key}, " twice"));
    }
    for (std::size_t k = 0; k < keys; ++k) {
        const auto& key = row.keys[k];
        const KeyedValue* value = nullptr;
        for (const auto& entry : given)
            if (entry.first == key.name) value = &entry.second;
        if (value == nullptr)
            return invalid_input(text(what, " of ", row.name, " has no key ", Quoted{key.name}, " (", row.name,
                                      " reads ", key_list(row), ")"));
        const std::string label = text(what, "[", Quoted{key.name}, "]");
        const Bound bound = thermo::activity_data::bound(key.input);
        auto ok = thermo::activity_data::shape(key.input) == Shape::Matrix
                      ? take_matrix(label, *value, bound, n, matrix_of(out, key.input))
                      : take_list(label, *value, bound, n, list_of(out, key.input));
        if (!ok) return ok;
    }
    return {};
}

}  // namespace

Result<void> take_parameters(thermo::ActivityModel model, std::string_view what,
                             const std::optional<ActivityParameters>& given, std::size_t n, ActivityData& out)
{
    const ModelRow& row = thermo::activity_data::row(model);
    const auto* keyed = given ? std::get_if<KeyedParameters>(&*given) : nullptr;
    if (row.keyed()) {
        if (keyed == nullptr)
            return invalid_input(text("activity model ", row.name, " takes ", what, " as a mapping with the keys ",
                                      key_list(row)));
        return take_keyed(row, what, *keyed, n, out);
    }
    if (keyed != nullptr) {
        if (!row.takes_parameters()) return invalid_input(text("activity model ", row.name, " takes no ", what));
        return invalid_input(text("activity model ", row.name, " takes ", what, " as a matrix, not a mapping"));
    }
    // A matrix for a model that reads none would be kept and never used.
    if (given && !row.takes_parameters()) return invalid_input(text("activity model ", row.name, " takes no ", what));
    if (given) out.parameters = std::get<Matrix>(*given);
    return {};
}

std::optional<ActivityParameters> given_parameters(thermo::ActivityModel model, const ActivityData& data)
{
    const ModelRow& row = thermo::activity_data::row(model);
    if (!row.keyed()) {
        if (data.parameters.empty()) return std::nullopt;
        return ActivityParameters{data.parameters};
    }
    KeyedParameters keyed;
    for (std::size_t k = 0; k < row.key_count(); ++k) {
        const auto& key = row.keys[k];
        if (thermo::activity_data::shape(key.input) == Shape::Matrix)
            keyed.emplace_back(key.name, KeyedValue{matrix_of(data, key.input)});
        else
            keyed.emplace_back(key.name, KeyedValue{list_of(data, key.input)});
    }
    return ActivityParameters{std::move(keyed)};
}

}  // namespace kolvar::engine
