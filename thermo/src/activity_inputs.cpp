// The input shapes the activity models read unchecked: a matrix or list
// shorter than the mixture would be read past its end, so callers reject it
// first.
#include "thermo/activity.hpp"

#include "kolvar/format.hpp"

namespace kolvar::thermo {
namespace {

bool matrix_fits(ParameterRows rows, std::size_t n)
{
    if (rows.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (rows[i].size() < n) return false;
    return true;
}

}  // namespace

std::expected<void, std::string> check_activity_inputs(ActivityModel model, const ActivityInputs& inputs,
                                                       std::size_t n)
{
    using format::text;
    const char* m = name(model);
    const bool square = model == ActivityModel::VanLaar || model == ActivityModel::Wilson;
    if (square && !matrix_fits(inputs.parameters, n))
        return std::unexpected(text("activity model ", m, " needs a parameter matrix of at least ", n, "\u00d7", n));
    const bool volumes = model == ActivityModel::Wilson || model == ActivityModel::RegularSolution;
    if (volumes && inputs.molar_volumes.size() < n)
        return std::unexpected(
            text("activity model ", m, " needs ", n, " molar volumes, got ", inputs.molar_volumes.size()));
    if (model == ActivityModel::RegularSolution && inputs.solubility_parameters.size() < n)
        return std::unexpected(text("activity model ", m, " needs ", n, " solubility parameters, got ",
                                    inputs.solubility_parameters.size()));
    if (model == ActivityModel::Margules) {
        if (n != 2) return std::unexpected(text("activity model ", m, " needs exactly 2 components, got ", n));
        const ParameterRows p = inputs.parameters;
        if (p.size() < 2 || p[0].size() < 2 || p[1].size() < 1)
            return std::unexpected(text("activity model ", m, " needs a parameter matrix of at least 2\u00d72"));
    }
    return {};
}

}  // namespace kolvar::thermo
