#include "toolkit/arguments.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"

#include "kolvar/format.hpp"

#include <cstddef>
#include <string>

namespace kolvar::bind {
namespace {

std::string quoted_name(const char* name) { return format::text("'", name, "'"); }

// 'a' / 'a' and 'b' / 'a', 'b', and 'c'
std::string join_names(std::span<const char* const> names)
{
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            if (names.size() > 2) out += ",";
            out += (i + 1 == names.size()) ? " and " : " ";
        }
        out += quoted_name(names[i]);
    }
    return out;
}

bool too_many_positional(const char* callable, std::span<const ParamInfo> params, Py_ssize_t given)
{
    std::size_t required = 0;
    for (const ParamInfo& p : params) required += p.required ? 1 : 0;
    const auto total = static_cast<std::uint64_t>(params.size());
    const auto given_count = static_cast<std::uint64_t>(given);
    const char* verb = given == 1 ? " was given" : " were given";
    std::string message =
        required == params.size()
            ? format::text(callable, "() takes ", total, " positional arguments but ", given_count, verb)
            : format::text(callable, "() takes from ", static_cast<std::uint64_t>(required), " to ", total,
                           " positional arguments but ", given_count, verb);
    raise(PyExc_TypeError, message);
    return false;
}

}  // namespace

bool bind_arguments(const char* callable, std::span<const ParamInfo> params, PyObject* args, PyObject* kwargs,
                    std::span<PyObject*> slots)
{
    const Py_ssize_t positional = args ? PyTuple_Size(args) : 0;
    if (positional < 0) return false;
    if (static_cast<std::size_t>(positional) > params.size()) {
        return too_many_positional(callable, params, positional);
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        slots[i] = i < static_cast<std::size_t>(positional) ? PyTuple_GetItem(args, static_cast<Py_ssize_t>(i))
                                                            : nullptr;
    }

    if (kwargs != nullptr) {
        Py_ssize_t position = 0;
        PyObject *key, *value;
        while (PyDict_Next(kwargs, &position, &key, &value)) {
            std::size_t match = params.size();
            for (std::size_t i = 0; i < params.size(); ++i) {
                if (PyUnicode_Check(key) && PyUnicode_CompareWithASCIIString(key, params[i].name) == 0) {
                    match = i;
                    break;
                }
            }
            if (match == params.size()) {
                Ref text = Ref::steal(PyObject_Str(key));
                if (!text) return false;
                PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", callable, text.get());
                return false;
            }
            if (slots[match] != nullptr) {
                raise(PyExc_TypeError,
                      format::text(callable, "() got multiple values for argument ",
                                   quoted_name(params[match].name)));
                return false;
            }
            slots[match] = value;
        }
    }

    const char* missing[32];
    std::size_t missing_count = 0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].required && slots[i] == nullptr && missing_count < std::size(missing)) {
            missing[missing_count++] = params[i].name;
        }
    }
    if (missing_count > 0) {
        raise(PyExc_TypeError,
              format::text(callable, "() missing ", static_cast<std::uint64_t>(missing_count), " required positional ",
                           missing_count == 1 ? "argument" : "arguments", ": ",
                           join_names({missing, missing_count})));
        return false;
    }
    return true;
}

}  // namespace kolvar::bind
