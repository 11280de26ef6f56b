// Conversions of the thermodynamic choices and answers: model names,
// components given by name or constants, phases, and the result tuples.
#pragma once

#include "module/warnings.hpp"

#include "toolkit/convert.hpp"
#include "toolkit/python.hpp"

#include "engine/thermo/model_names.hpp"
#include "engine/thermo/system.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::thermo {

// (vapour_fraction, x, y), (k, y) and (tpd_min, trial_x).
PyObject* to_python(const FlashResult& result);
PyObject* to_python(const EquilibriumRatios& ratios);
PyObject* to_python(const StabilityResult& result);

}  // namespace kolvar::thermo

namespace kolvar::bind {

// A model chosen by its exact name; an unknown one raises ValueError
// 'unknown {what} "X" (valid names: A, B, ...)'.
template <class Names>
struct ModelName {
    using Value = typename Names::Value;
    static bool convert(PyObject* object, Value& out);
    static std::string default_text(const Value& value) { return "\"" + Names::text(value) + "\""; }
};

bool refuse_model_name(const char* what, std::string_view name, const std::vector<std::string>& valid);

template <class Names>
bool ModelName<Names>::convert(PyObject* object, Value& out)
{
    std::string name;
    if (!Text::convert(object, name)) return false;
    if (auto found = Names::named(name)) {
        out = *found;
        return true;
    }
    return refuse_model_name(Names::what, name, Names::names());
}

struct EosNames {
    using Value = thermo::Eos;
    static constexpr const char* what = "equation of state";
    static std::optional<Value> named(std::string_view n) { return engine::eos_named(n); }
    static std::vector<std::string> names() { return engine::eos_names(); }
    static std::string text(Value v) { return thermo::name(v); }
};

struct MixingRuleNames {
    using Value = thermo::MixingRule;
    static constexpr const char* what = "mixing rule";
    static std::optional<Value> named(std::string_view n) { return engine::mixing_rule_named(n); }
    static std::vector<std::string> names() { return engine::mixing_rule_names(); }
    static std::string text(Value v) { return thermo::name(v); }
};

struct ActivityModelNames {
    using Value = thermo::ActivityModel;
    static constexpr const char* what = "activity model";
    static std::optional<Value> named(std::string_view n) { return engine::activity_model_named(n); }
    static std::vector<std::string> names() { return engine::activity_model_names(); }
    static std::string text(Value v) { return thermo::name(v); }
};

struct SaturationModelNames {
    using Value = thermo::SaturationModel;
    static constexpr const char* what = "saturation model";
    static std::optional<Value> named(std::string_view n) { return engine::saturation_model_named(n); }
    static std::vector<std::string> names() { return engine::saturation_model_names(); }
    static std::string text(Value v);
};

struct VapourModelNames {
    using Value = thermo::VaporModel;
    static constexpr const char* what = "vapour model";
    static std::optional<Value> named(std::string_view n) { return engine::vapour_model_named(n); }
    static std::vector<std::string> names() { return engine::vapour_model_names(); }
    static std::string text(const Value& v) { return engine::name(v); }
};

using EosName = ModelName<EosNames>;
using MixingRuleName = ModelName<MixingRuleNames>;
using ActivityModelName = ModelName<ActivityModelNames>;
using VapourName = ModelName<VapourModelNames>;
using SaturationNames = ListOf<ModelName<SaturationModelNames>>;

// The composition of a ThermoSystem question: mole fractions, used as
// given, announced by kolvar.CompositionWarning when they cannot be.
using Composition = MoleFractions<composition_warning>;

// The saturation keyword: one correlation name for every component, or one
// name per component.
struct SaturationChoice {
    struct Value {
        std::vector<thermo::SaturationModel> models;
        bool for_every = false;  // one name, for every component
    };
    static bool convert(PyObject* object, Value& out);
};

// The per-component list a constructor takes (none when none was chosen).
std::optional<std::vector<thermo::SaturationModel>> per_component(
    const std::optional<SaturationChoice::Value>& choice, std::size_t n);

// "liquid" or "vapour"; anything else a ValueError.
struct PhaseName {
    using Value = thermo::Phase;
    static bool convert(PyObject* object, thermo::Phase& out);
};

// Any sequence except str whose items are database names (str) or mappings
// of constants: str keys; values None, a str, a number or a sequence of
// numbers. What they mean is checked by the engine.
struct ComponentList {
    using Value = std::vector<engine::ComponentSource>;
    static bool convert(PyObject* object, Value& out);
};

// An activity model's parameters: a mapping (anything with items()) of str
// keys to matrices, lists or numbers, for the models that take them by key;
// anything else is a matrix, converted as FloatMatrix. What they mean is
// checked by the engine.
struct ActivityParametersArg {
    using Value = engine::ActivityParameters;
    static bool convert(PyObject* object, Value& out);
};

// The parameters as ActivityParametersArg reads them back: a list of rows,
// a dict, or None.
PyObject* parameters_object(const std::optional<engine::ActivityParameters>& parameters);

// A mapping of a compound's constants read through items(), as ComponentList
// reads one.
bool component_constants(PyObject* mapping, thermo::ComponentConstants& out);

// A compound's constants as a new dict, in the form ComponentList accepts.
PyObject* constants_dict(const thermo::ComponentConstants& constants);

// {"eos": [...], "mixing_rule": [...], "activity": [...], "saturation": [...],
//  "vapour": [...]}: the accepted names.
PyObject* model_names_dict();

}  // namespace kolvar::bind
