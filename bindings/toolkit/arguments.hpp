// Binding a call's positional and keyword arguments to declared parameters.
//
// Every parameter is positional-or-keyword; those with a default are
// optional. Failures raise TypeError with the texts
//   rmin() missing 2 required positional arguments: 'x_bottoms' and 'z_feed'
//   rmin() got an unexpected keyword argument 'xd'
//   rmin() got multiple values for argument 'curve'
//   Feed.__new__() takes from 2 to 3 positional arguments but 4 were given
#pragma once

#include "toolkit/python.hpp"

#include <span>
#include <string>

namespace kolvar::bind {

struct ParamInfo {
    const char* name;
    bool required;
};

// Fills slots[i] with the borrowed argument for parameter i, or null when an
// optional parameter was omitted. `callable` is the name used in messages,
// without the parentheses ("rmin", "Feed.__new__").
bool bind_arguments(const char* callable, std::span<const ParamInfo> params, PyObject* args, PyObject* kwargs,
                    std::span<PyObject*> slots);

}  // namespace kolvar::bind
