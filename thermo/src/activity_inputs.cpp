// The input shapes the activity models read unchecked: a matrix or list
// shorter than the mixture would be read past its end, so callers reject it
// first. What each model reads comes from its row of the model table.
#include "thermo/activity.hpp"
#include "thermo/activity_table.hpp"
#include "thermo/group_contribution.hpp"

#include "kolvar/format.hpp"

namespace kolvar::thermo {
namespace {

using activity_data::Input;

bool matrix_fits(ParameterRows rows, std::size_t n)
{
    if (rows.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (rows[i].size() < n) return false;
    return true;
}

// The off-diagonal pair A[0][1], A[1][0] that a two-component model reads.
bool pair_fits(ParameterRows rows) { return rows.size() >= 2 && rows[0].size() >= 2 && rows[1].size() >= 1; }

ParameterRows matrix_of(const ActivityInputs& inputs, Input input)
{
    switch (input) {
    case Input::B: return inputs.b;
    case Input::Alpha: return inputs.alpha;
    default: return inputs.parameters;
    }
}

std::span<const double> list_of(const ActivityInputs& inputs, Input input)
{
    switch (input) {
    case Input::Volumes: return inputs.molar_volumes;
    case Input::Solubility: return inputs.solubility_parameters;
    case Input::R: return inputs.r;
    default: return inputs.q;
    }
}

// How a message names an input: "a parameter matrix", "molar volumes", ...
const char* described(Input input)
{
    switch (input) {
    case Input::Matrix: return "a parameter matrix";
    case Input::Volumes: return "molar volumes";
    case Input::Solubility: return "solubility parameters";
    case Input::B: return "a matrix b";
    case Input::Alpha: return "a matrix alpha";
    case Input::R: return "values of r";
    case Input::Q: return "values of q";
    case Input::Groups: return "the subgroups";
    }
    return "?";
}

}  // namespace

std::expected<void, std::string> check_activity_inputs(ActivityModel model, const ActivityInputs& inputs,
                                                       std::size_t n)
{
    using format::text;
    const auto index = static_cast<std::size_t>(model);
    if (index >= activity_data::model_count)
        return std::unexpected(text("activity model ", static_cast<unsigned>(model), " is not a model"));
    const activity_data::ModelRow& row = activity_data::models[index];
    const char* m = row.name;
    if (row.fixed_size != 0 && n != row.fixed_size)
        return std::unexpected(text("activity model ", m, " needs exactly ", row.fixed_size, " components, got ", n));
    for (std::size_t k = 0; k < activity_data::input_count; ++k) {
        const auto input = static_cast<Input>(k);
        if (!row.reads.has(input)) continue;
        if (activity_data::shape(input) == activity_data::Shape::Prepared) {
            // The subgroups are prepared for one mixture and fit no other.
            if (inputs.groups == nullptr || inputs.groups->components != n)
                return std::unexpected(text("activity model ", m, " needs ", described(input), " of ", n,
                                            " components"));
        } else if (activity_data::shape(input) == activity_data::Shape::Matrix) {
            const std::size_t size = row.fixed_size != 0 ? row.fixed_size : n;
            const ParameterRows rows = matrix_of(inputs, input);
            if (!(row.fixed_size == 2 ? pair_fits(rows) : matrix_fits(rows, n)))
                return std::unexpected(
                    text("activity model ", m, " needs ", described(input), " of at least ", size, "\u00d7", size));
        } else if (const auto values = list_of(inputs, input); values.size() < n) {
            return std::unexpected(text("activity model ", m, " needs ", n, " ", described(input), ", got ",
                                        values.size()));
        }
    }
    return {};
}

}  // namespace kolvar::thermo
