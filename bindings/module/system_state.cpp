#include "module/system_state.hpp"

#include "module/classes.hpp"
#include "module/thermo_conversions.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/to_python.hpp"

#include "kolvar/format.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <variant>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::ActivityOptions;
using engine::CubicOptions;
using engine::SystemRecipe;
using engine::ThermoSystem;

std::string text_of(thermo::Eos eos) { return thermo::name(eos); }
std::string text_of(thermo::MixingRule rule) { return thermo::name(rule); }
std::string text_of(thermo::ActivityModel model) { return thermo::name(model); }
std::string text_of(const thermo::VaporModel& vapour) { return engine::name(vapour); }

std::optional<std::string> text_of(const std::optional<thermo::ActivityModel>& model)
{
    return model ? std::optional(text_of(*model)) : std::nullopt;
}

std::optional<std::vector<std::string>> text_of(const std::optional<std::vector<thermo::SaturationModel>>& models)
{
    if (!models) return std::nullopt;
    std::vector<std::string> names;
    for (thermo::SaturationModel model : *models) names.push_back(SaturationModelNames::text(model));
    return names;
}

struct ModelState {
    PyObject* operator()(const engine::PengRobinsonRecipe&) const
    {
        return to_python(std::tuple{std::string("peng_robinson")});
    }
    PyObject* operator()(const engine::VanLaarRecipe& r) const
    {
        return to_python(std::tuple{std::string("van_laar"), r.a12, r.a21});
    }
    PyObject* operator()(const CubicOptions& o) const
    {
        return to_python(std::tuple{std::string("cubic"), text_of(o.eos), text_of(o.mixing_rule), o.kij,
                                    text_of(o.ge_model), parameters_object(o.ge_parameters), o.eos_parameters,
                                    o.solubility});
    }
    PyObject* operator()(const ActivityOptions& o) const
    {
        return to_python(std::tuple{std::string("activity"), text_of(o.model), parameters_object(o.parameters),
                                    text_of(o.vapour),
                                    text_of(o.saturation), o.poynting, o.solubility});
    }
    PyObject* operator()(const engine::IdealSolutionRecipe& r) const
    {
        return to_python(std::tuple{std::string("ideal_solution"), text_of(r.vapour), text_of(r.saturation)});
    }
    PyObject* operator()(const engine::GraysonStreedRecipe& r) const
    {
        return to_python(std::tuple{std::string("grayson_streed"), text_of(r.vapour)});
    }
};

PyObject* system_state(const ThermoSystem& system)
{
    Ref components = Ref::steal(PyList_New(0));
    if (!components) return nullptr;
    for (const thermo::Component& component : system.components()) {
        Ref constants = Ref::steal(constants_dict(thermo::constants_of(component)));
        if (!constants || PyList_Append(components.get(), constants.get()) < 0) return nullptr;
    }
    return tuple_of({components.release(), std::visit(ModelState{}, system.recipe())});
}

// Items 1.. of the model tuple, each converted by its converter, after a
// check of the tuple's length. The last `Later` items were added to the
// constructor after its first release: a tuple without them (an older
// pickle) leaves them at their defaults.
template <std::size_t Later, class... Cs>
bool convert_items(PyObject* model, std::string_view constructor, typename Cs::Value&... out)
{
    const Py_ssize_t size = PyTuple_Size(model);
    if (size < 0) return false;
    const std::size_t all = sizeof...(Cs) + 1;
    const auto items = static_cast<std::size_t>(size);
    if (items > all || items + Later < all) {
        raise(PyExc_ValueError,
              Later == 0 ? format::text("a model of ", constructor, " must have ", static_cast<std::uint64_t>(all),
                                        " items, got ", static_cast<std::uint64_t>(size))
                         : format::text("a model of ", constructor, " must have ",
                                        static_cast<std::uint64_t>(all - Later), " to ",
                                        static_cast<std::uint64_t>(all), " items, got ",
                                        static_cast<std::uint64_t>(size)));
        return false;
    }
    std::size_t i = 0;  // the index of the item being converted, from 1
    return ((++i >= items || Cs::convert(PyTuple_GetItem(model, static_cast<Py_ssize_t>(i)), out)) && ...);
}

// The model tuple of a system's state.
struct SystemModel {
    using Value = SystemRecipe;
    static bool convert(PyObject* object, SystemRecipe& out);
};

bool SystemModel::convert(PyObject* object, SystemRecipe& out)
{
    if (!PyTuple_CheckExact(object)) return refuse_type(object, "tuple");
    if (PyTuple_Size(object) < 1) {
        raise(PyExc_ValueError, "a model must name its constructor");
        return false;
    }
    std::string constructor;
    if (!Text::convert(PyTuple_GetItem(object, 0), constructor)) return false;
    if (constructor == "peng_robinson") {
        out = engine::PengRobinsonRecipe{};
        return convert_items<0>(object, constructor);
    }
    if (constructor == "van_laar") {
        auto& r = out.emplace<engine::VanLaarRecipe>();
        return convert_items<0, Float, Float>(object, constructor, r.a12, r.a21);
    }
    if (constructor == "cubic") {
        auto& o = out.emplace<CubicOptions>();
        return convert_items<1, EosName, MixingRuleName, Maybe<FloatMatrix>, Maybe<ActivityModelName>,
                             Maybe<ActivityParametersArg>, Maybe<FloatMatrix>, Maybe<FloatList>>(
            object, constructor, o.eos, o.mixing_rule, o.kij, o.ge_model, o.ge_parameters, o.eos_parameters,
            o.solubility);
    }
    if (constructor == "activity") {
        auto& o = out.emplace<ActivityOptions>();
        return convert_items<0, ActivityModelName, Maybe<ActivityParametersArg>, VapourName, Maybe<SaturationNames>, Flag,
                             Maybe<FloatList>>(object, constructor, o.model, o.parameters, o.vapour, o.saturation,
                                               o.poynting, o.solubility);
    }
    if (constructor == "ideal_solution") {
        auto& r = out.emplace<engine::IdealSolutionRecipe>();
        return convert_items<0, VapourName, Maybe<SaturationNames>>(object, constructor, r.vapour, r.saturation);
    }
    if (constructor == "grayson_streed") {
        auto& r = out.emplace<engine::GraysonStreedRecipe>();
        return convert_items<0, VapourName>(object, constructor, r.vapour);
    }
    raise(PyExc_ValueError, format::text("unknown ThermoSystem constructor ", format::Quoted{constructor},
                                         " (valid: peng_robinson, van_laar, cubic, activity, ideal_solution, "
                                         "grayson_streed)"));
    return false;
}

// Sets dict[key] to `value`, a new reference that this consumes.
bool put(PyObject* dict, const char* key, PyObject* value)
{
    Ref owned = Ref::steal(value);
    return owned && PyDict_SetItemString(dict, key, owned.get()) == 0;
}

// The names of the model tuple's items after the constructor: the
// constructors' own parameter names, the keys of the model in to_dict().
struct ModelKeys {
    std::string_view constructor;
    std::initializer_list<const char*> keys;
};
const std::array<ModelKeys, 6> model_keys{{
    {"peng_robinson", {}},
    {"van_laar", {"a12", "a21"}},
    {"cubic", {"eos", "mixing_rule", "kij", "ge_model", "ge_parameters", "eos_parameters", "solubility"}},
    {"activity", {"model", "parameters", "vapour", "saturation", "poynting", "solubility"}},
    {"ideal_solution", {"vapour", "saturation"}},
    {"grayson_streed", {"vapour"}},
}};

const ModelKeys* keys_of(std::string_view constructor)
{
    for (const ModelKeys& model : model_keys)
        if (model.constructor == constructor) return &model;
    return nullptr;
}

// {"components": names, "model": {"constructor": name, key: value, ...},
// "constants": the components' constants}, read from the pickled state.
PyObject* system_record(const ThermoSystem& system)
{
    Ref state = Ref::steal(system_state(system));
    if (!state) return nullptr;
    PyObject* model = PyTuple_GetItem(state.get(), 1);  // borrowed
    std::string constructor;
    if (!Text::convert(PyTuple_GetItem(model, 0), constructor)) return nullptr;
    const ModelKeys* keys = keys_of(constructor);
    Ref named = Ref::steal(PyDict_New());
    if (!named || keys == nullptr || !put(named.get(), "constructor", to_python(constructor))) return nullptr;
    Py_ssize_t i = 1;
    for (const char* key : keys->keys) {
        PyObject* item = PyTuple_GetItem(model, i++);
        Py_INCREF(item);
        if (!put(named.get(), key, item)) return nullptr;
    }
    Ref record = Ref::steal(PyDict_New());
    if (!record || !put(record.get(), "components", to_python(system.component_names())) ||
        !put(record.get(), "model", named.release()))
        return nullptr;
    PyObject* constants = PyTuple_GetItem(state.get(), 0);
    Py_INCREF(constants);
    if (!put(record.get(), "constants", constants)) return nullptr;
    return record.release();
}

// The item `key` of a dict (borrowed), or null with a ValueError naming it.
PyObject* record_item(PyObject* record, const char* key, std::string_view what)
{
    PyObject* item = PyDict_GetItemString(record, key);
    if (item == nullptr) raise(PyExc_ValueError, format::text(what, " has no key ", format::Quoted{key}));
    return item;
}

// A record of to_dict() as the state that pickling reads: the constants (or,
// without them, the names) and the model tuple, every key checked.
struct SystemRecord {
    using Value = std::pair<std::vector<engine::ComponentSource>, SystemRecipe>;
    static bool convert(PyObject* object, Value& out);
};

bool SystemRecord::convert(PyObject* object, Value& out)
{
    if (!PyDict_Check(object)) return refuse_type(object, "dict");
    PyObject* model = record_item(object, "model", "a ThermoSystem record");
    if (model == nullptr) return false;
    if (!PyDict_Check(model)) return refuse_type(model, "dict");
    PyObject* name = record_item(model, "constructor", "a ThermoSystem model");
    std::string constructor;
    if (name == nullptr || !Text::convert(name, constructor)) return false;
    const ModelKeys* keys = keys_of(constructor);
    Ref items = Ref::steal(PyList_New(0));
    if (!items || PyList_Append(items.get(), name) < 0) return false;
    Py_ssize_t known = 1;
    for (const char* key : keys == nullptr ? std::initializer_list<const char*>{} : keys->keys) {
        PyObject* value = PyDict_GetItemString(model, key);
        known += value != nullptr;
        if (PyList_Append(items.get(), value == nullptr ? Py_None : value) < 0) return false;
    }
    if (keys != nullptr && known != PyDict_Size(model)) {
        std::string accepted = "constructor";
        for (const char* key : keys->keys) accepted += format::text(", ", key);
        raise(PyExc_ValueError, format::text("a ", constructor, " model takes the keys ", accepted));
        return false;
    }
    Ref tuple = Ref::steal(PyList_AsTuple(items.get()));
    if (!tuple || !SystemModel::convert(tuple.get(), out.second)) return false;
    PyObject* components = PyDict_GetItemString(object, "constants");
    if (components == nullptr) components = record_item(object, "components", "a ThermoSystem record");
    return components != nullptr && ComponentList::convert(components, out.first);
}

const auto system_from_dict = static_method(
    "ThermoSystem", "from_dict",
    "The system a `to_dict()` record describes, also after a trip through JSON:\n"
    "its `model` names the constructor and that constructor's arguments, and\n"
    "its `constants` (else its `components`, as database names) the components.\n"
    "The system is made through that constructor's checks.",
    [](SystemRecord::Value record) { return ThermoSystem::restore(record.first, record.second); },
    required<SystemRecord>("data"));

const auto system_rebuild = constructor<ThermoSystem>(
    "ThermoSystem", "",
    [](std::vector<engine::ComponentSource> components, SystemRecipe model) {
        return ThermoSystem::restore(components, model);
    },
    required<ComponentList>("components"), required<SystemModel>("model"));

}  // namespace

void declare_travel(ClassSpec<ThermoSystem>& spec)
{
    spec.rebuilt_by<system_rebuild>(&system_state);
    spec.record = &system_record;
    spec.methods.push_back(def<system_from_dict>());
}

}  // namespace kolvar::bind
