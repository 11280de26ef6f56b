// The activity models as data: one row per model with its name, the inputs
// it reads, the number of components it is written for, whether it depends
// on temperature and, for a model whose parameters are given by key, its
// keys. Everything that asks what a model needs reads this table.
#pragma once

#include "thermo/activity.hpp"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace kolvar::thermo::activity_data {

// One input of ActivityInputs.
enum class Input : unsigned {
    Matrix,      // parameters: n x n (a binary pair for a fixed-size model)
    Volumes,     // molar_volumes: n values, the components' liquid volumes
    Solubility,  // solubility_parameters: n values
    B,           // b: n x n
    Alpha,       // alpha: n x n, off-diagonal entries >= 0
    R,           // r: n values > 0
    Q,           // q: n values > 0
    Groups,      // groups: the prepared subgroups of n components
};

inline constexpr std::size_t input_count = 8;

constexpr unsigned bit(Input input) { return 1u << static_cast<unsigned>(input); }

// The inputs a model reads, as a set.
struct Inputs {
    unsigned bits = 0;
    constexpr bool has(Input input) const { return (bits & bit(input)) != 0; }
};

constexpr Inputs reads(std::initializer_list<Input> inputs)
{
    unsigned bits = 0;
    for (Input input : inputs) bits |= bit(input);
    return {bits};
}

// How an input is shaped and which values it takes.
enum class Shape { Matrix, List, Prepared };
enum class Bound { Finite, NonNegativeOffDiagonal, Positive };

constexpr Shape shape(Input input)
{
    if (input == Input::Groups) return Shape::Prepared;
    return input == Input::Matrix || input == Input::B || input == Input::Alpha ? Shape::Matrix : Shape::List;
}

constexpr Bound bound(Input input)
{
    if (input == Input::Alpha) return Bound::NonNegativeOffDiagonal;
    if (input == Input::R || input == Input::Q) return Bound::Positive;
    return Bound::Finite;
}

// A key of a model whose parameters are given as a mapping, and the input it fills.
struct Key {
    const char* name = nullptr;
    Input input = Input::Matrix;
};

inline constexpr std::size_t max_keys = 4;

struct ModelRow {
    ActivityModel model;  // the row's model: rows stand in declaration order
    const char* name;
    Inputs reads;
    std::size_t fixed_size;      // the number of components the model is written for; 0 = any
    bool temperature_dependent;  // whether ln gamma changes with T at fixed x
    std::array<Key, max_keys> keys;  // by-key parameters, in their order; none for a matrix model

    constexpr bool keyed() const { return keys[0].name != nullptr; }
    constexpr std::size_t key_count() const
    {
        std::size_t k = 0;
        while (k < max_keys && keys[k].name != nullptr) ++k;
        return k;
    }
    // Whether the model reads a parameter matrix or keyed parameters: what a
    // caller's `parameters` fill.
    constexpr bool takes_parameters() const { return keyed() || reads.has(Input::Matrix); }
};

using enum Input;

// Indexed by the model's declaration index.
inline constexpr std::array<ModelRow, 9> models{{
    // model                          name               reads                              size  T      keys
    {ActivityModel::VanLaar,         "VanLaar",         reads({Matrix}),                     0,    false, {}},
    {ActivityModel::Wilson,          "Wilson",          reads({Matrix, Volumes}),            0,    true,  {}},
    {ActivityModel::RegularSolution, "RegularSolution", reads({Volumes, Solubility}),        0,    true,  {}},
    {ActivityModel::Margules,        "Margules",        reads({Matrix}),                     2,    false, {}},
    {ActivityModel::IdealLiquid,     "IdealLiquid",     reads({}),                           0,    false, {}},
    {ActivityModel::NRTL,            "NRTL",            reads({Matrix, B, Alpha}),           0,    true,
     {{{"a", Matrix}, {"b", B}, {"alpha", Alpha}, {}}}},
    {ActivityModel::UNIQUAC,         "UNIQUAC",         reads({Matrix, B, R, Q}),            0,    true,
     {{{"r", R}, {"q", Q}, {"a", Matrix}, {"b", B}}}},
    {ActivityModel::UNIFAC,          "UNIFAC",          reads({Groups}),                     0,    true,  {}},
    {ActivityModel::UNIFACDortmund,  "UNIFAC-Dortmund", reads({Groups}),                     0,    true,  {}},
}};

inline constexpr std::size_t model_count = models.size();

inline const ModelRow& row(ActivityModel model) { return models[static_cast<unsigned>(model)]; }

constexpr bool same_text(const char* a, const char* b) { return std::string_view(a) == std::string_view(b); }

// Every row filled, in declaration order, the last enumerator last, and
// consistent: keys name distinct inputs the model reads and cover every input
// a caller gives by key (all but the volumes, solubility parameters and
// groups, which have their own sources); a fixed-size model reads a matrix.
constexpr bool models_complete()
{
    if (static_cast<std::size_t>(ActivityModel::UNIFACDortmund) + 1 != models.size()) return false;  // the last model
    for (std::size_t i = 0; i < models.size(); ++i) {
        const ModelRow& m = models[i];
        if (static_cast<std::size_t>(m.model) != i || m.name == nullptr || m.name[0] == '\0') return false;
        if (m.fixed_size != 0 && (!m.reads.has(Matrix) || m.keyed())) return false;
        if (!m.keyed()) {
            for (Input input : {B, Alpha, R, Q})
                if (m.reads.has(input)) return false;
            continue;
        }
        unsigned keyed = 0;
        for (std::size_t k = 0; k < m.key_count(); ++k) {
            const Key& key = m.keys[k];
            if (!m.reads.has(key.input) || (keyed & bit(key.input)) != 0) return false;
            keyed |= bit(key.input);
            for (std::size_t other = 0; other < k; ++other)
                if (same_text(m.keys[other].name, key.name)) return false;
        }
        if (keyed != (m.reads.bits & ~(bit(Volumes) | bit(Solubility) | bit(Groups)))) return false;
    }
    return true;
}
static_assert(models_complete(), "one filled row per ActivityModel, in declaration order");

}  // namespace kolvar::thermo::activity_data
