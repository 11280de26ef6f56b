#include "module/thermo_conversions.hpp"

#include "module/component_names.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/to_python.hpp"

#include "kolvar/format.hpp"
#include "thermo/saturation.hpp"

#include <utility>

namespace kolvar::thermo {

PyObject* to_python(const FlashResult& result)
{
    return bind::tuple_of(
        {bind::to_python(result.vapour_fraction), bind::to_python(result.x), bind::to_python(result.y)});
}

PyObject* to_python(const EquilibriumRatios& ratios)
{
    return bind::tuple_of({bind::to_python(ratios.k), bind::to_python(ratios.y)});
}

PyObject* to_python(const StabilityResult& result)
{
    return bind::tuple_of({bind::to_python(result.tpd), bind::to_python(result.trial)});
}

}  // namespace kolvar::thermo

namespace kolvar::bind {
namespace {

// A subgroup as a mapping's key names it: its name, or its number.
bool group_key(PyObject* key, std::string& out)
{
    if (PyLong_Check(key) && !PyBool_Check(key)) {
        Ref text = Ref::steal(PyObject_Str(key));
        return text && Text::convert(text.get(), out);
    }
    if (!PyUnicode_Check(key)) return refuse_type(key, "str or int");
    return Text::convert(key, out);
}

bool group_mapping(PyObject* mapping, thermo::GroupMapping& out);

bool constant_value(PyObject* value, thermo::ConstantValue& out)
{
    if (value == Py_None) {
        out = std::monostate{};
        return true;
    }
    if (PyUnicode_Check(value)) return Text::convert(value, out.emplace<std::string>());
    // Subgroup counts, read through items() as the constants themselves are.
    if (PyObject_HasAttrString(value, "items")) return group_mapping(value, out.emplace<thermo::GroupMapping>());
    if (PySequence_Check(value)) return FloatList::convert(value, out.emplace<std::vector<double>>());
    if (PyNumber_Check(value)) return Float::convert(value, out.emplace<double>());
    return refuse_type(value, "number or Sequence");
}

// A mapping read through items() into (text key, value) entries, each key
// converted by `key_of` and each value by `value_of`: the components'
// constants, their subgroup counts and keyed parameters.
template <class Entries, class ValueOf, class KeyOf = decltype(&Text::convert)>
bool mapping_entries(PyObject* mapping, Entries& out, ValueOf value_of, KeyOf key_of = &Text::convert)
{
    Ref items = Ref::steal(PyMapping_Items(mapping));
    if (!items) return false;
    const Py_ssize_t size = PyList_Size(items.get());
    if (size < 0) return false;
    for (Py_ssize_t i = 0; i < size; ++i) {
        PyObject* pair = PyList_GetItem(items.get(), i);  // borrowed
        if (pair == nullptr) return false;
        // A mapping other than a dict may give anything as an item.
        if (!PyTuple_Check(pair) || PyTuple_Size(pair) != 2) return refuse_type(pair, "(key, value) pair");
        auto& entry = out.emplace_back();
        if (!key_of(PyTuple_GetItem(pair, 0), entry.first) || !value_of(PyTuple_GetItem(pair, 1), entry.second))
            return false;
    }
    return true;
}

bool group_mapping(PyObject* mapping, thermo::GroupMapping& out)
{
    return mapping_entries(mapping, out, &Float::convert, &group_key);
}

bool component_source(PyObject* item, engine::ComponentSource& out)
{
    if (PyUnicode_Check(item)) {
        std::string name;
        return Text::convert(item, name) && named_component(name, out);
    }
    // Read through items(), so that is what makes an object a mapping here.
    if (PyObject_HasAttrString(item, "items"))
        return component_constants(item, out.emplace<thermo::ComponentConstants>());
    return refuse_type(item, "str or Mapping");
}

// {name: count}, with an int key for a subgroup given by its number.
PyObject* groups_dict(const thermo::GroupMapping& groups)
{
    Ref dict = Ref::steal(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [key, count] : groups) {
        const bool number = !key.empty() && key.find_first_not_of("0123456789") == std::string::npos;
        Ref k = Ref::steal(number ? PyLong_FromString(key.c_str(), nullptr, 10) : to_python(key));
        Ref v = Ref::steal(PyLong_FromDouble(count));
        if (!k || !v || PyDict_SetItem(dict.get(), k.get(), v.get()) != 0) return nullptr;
    }
    return dict.release();
}

PyObject* constant_to_python(const thermo::ConstantValue& value)
{
    struct Convert {
        PyObject* operator()(std::monostate) const { Py_RETURN_NONE; }
        PyObject* operator()(const std::string& v) const { return to_python(v); }
        PyObject* operator()(double v) const { return to_python(v); }
        PyObject* operator()(const std::vector<double>& v) const { return to_python(v); }
        PyObject* operator()(const thermo::GroupMapping& groups) const { return groups_dict(groups); }
    };
    return std::visit(Convert{}, value);
}

bool set_item(PyObject* dict, const std::string& key, PyObject* value)
{
    Ref owned = Ref::steal(value);
    return owned && PyDict_SetItemString(dict, key.c_str(), owned.get()) == 0;
}

// A keyed parameter's value: a sequence of sequences is a matrix, any other
// sequence (an empty one too) a list, and a number a number.
bool keyed_value(PyObject* value, engine::KeyedValue& out)
{
    if (PyUnicode_Check(value)) return refuse_type(value, "number or Sequence");
    if (PySequence_Check(value)) {
        const Py_ssize_t size = PySequence_Size(value);
        if (size < 0) return false;
        if (size > 0) {
            Ref first = Ref::steal(PySequence_GetItem(value, 0));
            if (!first) return false;
            if (PySequence_Check(first.get()) && !PyUnicode_Check(first.get()))
                return FloatMatrix::convert(value, out.emplace<engine::Matrix>());
        }
        return FloatList::convert(value, out.emplace<std::vector<double>>());
    }
    if (PyNumber_Check(value)) return Float::convert(value, out.emplace<double>());
    return refuse_type(value, "number or Sequence");
}

bool keyed_parameters(PyObject* mapping, engine::KeyedParameters& out)
{
    return mapping_entries(mapping, out, keyed_value);
}

PyObject* keyed_value_object(const engine::KeyedValue& value)
{
    struct Convert {
        PyObject* operator()(const std::vector<double>& v) const { return to_python(v); }
        PyObject* operator()(const engine::Matrix& v) const { return to_python(v); }
        PyObject* operator()(double v) const { return to_python(v); }
    };
    return std::visit(Convert{}, value);
}

}  // namespace

bool component_constants(PyObject* mapping, thermo::ComponentConstants& out)
{
    return mapping_entries(mapping, out, constant_value);
}

bool ActivityParametersArg::convert(PyObject* object, Value& out)
{
    // Read through items(), as the components' constants are.
    if (PyObject_HasAttrString(object, "items")) return keyed_parameters(object, out.emplace<engine::KeyedParameters>());
    return FloatMatrix::convert(object, out.emplace<engine::Matrix>());
}

PyObject* parameters_object(const std::optional<engine::ActivityParameters>& parameters)
{
    if (!parameters) Py_RETURN_NONE;
    if (const auto* matrix = std::get_if<engine::Matrix>(&*parameters)) return to_python(*matrix);
    Ref dict = Ref::steal(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [key, value] : std::get<engine::KeyedParameters>(*parameters))
        if (!set_item(dict.get(), key, keyed_value_object(value))) return nullptr;
    return dict.release();
}

bool refuse_model_name(const char* what, std::string_view name, const std::vector<std::string>& valid)
{
    std::string message = format::text("unknown ", what, " ", format::Quoted{name}, " (valid names: ");
    for (std::size_t i = 0; i < valid.size(); ++i) message += (i ? ", " : "") + valid[i];
    message += ")";
    raise(PyExc_ValueError, message);
    return false;
}

std::string SaturationModelNames::text(Value v) { return thermo::name(v); }

bool SaturationChoice::convert(PyObject* object, Value& out)
{
    out.for_every = PyUnicode_Check(object);
    if (!out.for_every) return SaturationNames::convert(object, out.models);
    return ModelName<SaturationModelNames>::convert(object, out.models.emplace_back());
}

std::optional<std::vector<thermo::SaturationModel>> per_component(
    const std::optional<SaturationChoice::Value>& choice, std::size_t n)
{
    if (!choice) return std::nullopt;
    if (!choice->for_every) return choice->models;
    return std::vector<thermo::SaturationModel>(n, choice->models.front());
}

bool PhaseName::convert(PyObject* object, thermo::Phase& out)
{
    std::string name;
    if (!Text::convert(object, name)) return false;
    if (name == "liquid" || name == "vapour") {
        out = name == "liquid" ? thermo::Phase::Liquid : thermo::Phase::Vapor;
        return true;
    }
    raise(PyExc_ValueError, format::text("phase must be \"liquid\" or \"vapour\", got ", format::Quoted{name}));
    return false;
}

bool ComponentList::convert(PyObject* object, Value& out)
{
    out.clear();
    return for_each_item(
        object,
        [](PyObject* item, void* context) {
            return component_source(item, static_cast<Value*>(context)->emplace_back());
        },
        &out);
}

PyObject* constants_dict(const thermo::ComponentConstants& constants)
{
    Ref dict = Ref::steal(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [key, value] : constants)
        if (!set_item(dict.get(), key, constant_to_python(value))) return nullptr;
    return dict.release();
}

PyObject* model_names_dict()
{
    Ref dict = Ref::steal(PyDict_New());
    if (!dict) return nullptr;
    if (!set_item(dict.get(), "eos", to_python(engine::eos_names())) ||
        !set_item(dict.get(), "mixing_rule", to_python(engine::mixing_rule_names())) ||
        !set_item(dict.get(), "activity", to_python(engine::activity_model_names())) ||
        !set_item(dict.get(), "saturation", to_python(engine::saturation_model_names())) ||
        !set_item(dict.get(), "vapour", to_python(engine::vapour_model_names())))
        return nullptr;
    return dict.release();
}

}  // namespace kolvar::bind
