// Conversions of Python arguments by declared parameter type.
//
// A converter is a type with
//   using Value = ...;                              the C++ value it produces
//   static bool convert(PyObject*, Value&);         false with an exception set
//   static std::string default_text(const Value&);  the default as a signature shows it
// The binding adds "argument '{name}': " to a TypeError raised by a
// conversion and keeps the original as its cause; other exceptions
// (OverflowError of a negative count, ValueError) pass unchanged.
#pragma once

#include "toolkit/python.hpp"
#include "toolkit/registry.hpp"
#include "toolkit/warnings.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvar::bind {

// Raises TypeError "'{type name}' object cannot be converted to '{target}'".
bool refuse_type(PyObject* object, const char* target);

// float, int, or anything with __float__ or __index__.
struct Float {
    using Value = double;
    static bool convert(PyObject* object, double& out);
    static std::string default_text(double value);
};

// int or anything with __index__, as an unsigned 64-bit value; float refused.
struct Count {
    using Value = std::uint64_t;
    static bool convert(PyObject* object, std::uint64_t& out);
    static std::string default_text(std::uint64_t value);
};

// str only, as UTF-8.
struct Text {
    using Value = std::string;
    static bool convert(PyObject* object, std::string& out);
    static std::string default_text(const std::string& value);
};

// Any sequence except str, each item a float.
struct FloatList {
    using Value = std::vector<double>;
    static bool convert(PyObject* object, std::vector<double>& out);
};

// The check of MoleFractions: true, or what warn returns.
bool check_mole_fractions(std::span<const double> values, const WarningCategory& category);

// Mole fractions: a FloatList used as given, but one that cannot be mole
// fractions (a negative entry, or a sum that differs from 1 by more than
// 1e-6 or is not a number) issues a warning of `Category` quoting its sum:
//   "composition sums to 100, not 1: mole fractions are expected (percentages
//    are the usual cause)" (the cause named for sums above 1 only)
//   "composition has a negative entry, -0.5 at index 1: mole fractions are expected"
// (both when both hold). A warning the filters turn into an exception fails
// the conversion with it.
template <const WarningCategory& Category>
struct MoleFractions {
    using Value = std::vector<double>;
    static bool convert(PyObject* object, std::vector<double>& out)
    {
        return FloatList::convert(object, out) && check_mole_fractions(out, Category);
    }
};

// Any sequence except str, each item a str.
struct TextList {
    using Value = std::vector<std::string>;
    static bool convert(PyObject* object, std::vector<std::string>& out);
};

// A sequence of exactly two str items (a str of length 2 counts as one).
struct TextPair {
    using Value = std::array<std::string, 2>;
    static bool convert(PyObject* object, std::array<std::string, 2>& out);
};

// True or False only.
struct Flag {
    using Value = bool;
    static bool convert(PyObject* object, bool& out);
    static std::string default_text(bool value);
};

// Calls item(PyObject*) for each element of a sequence (a str refused as
// "Can't extract `str` to `Vec`"), in order; false with an exception set.
bool for_each_item(PyObject* object, bool (*item)(PyObject*, void*), void* context);

// Any sequence except str, each item converted by C.
template <class C>
struct ListOf {
    using Value = std::vector<typename C::Value>;
    static bool convert(PyObject* object, Value& out)
    {
        out.clear();
        return for_each_item(
            object,
            [](PyObject* item, void* context) {
                return C::convert(item, static_cast<Value*>(context)->emplace_back());
            },
            &out);
    }
};

// Rows of numbers: a sequence of sequences of floats.
using FloatMatrix = ListOf<FloatList>;

// None means absent; anything else is converted by C.
template <class C>
struct Maybe {
    using Value = std::optional<typename C::Value>;
    static bool convert(PyObject* object, Value& out)
    {
        if (object == Py_None) {
            out.reset();
            return true;
        }
        return C::convert(object, out.emplace());
    }
    static std::string default_text(const Value&) { return "None"; }
};

// An instance of the class registered for T; the engine value is borrowed
// for the duration of the call.
template <Registered T>
struct Instance {
    using Value = const T*;
    static bool convert(PyObject* object, const T*& out);
};

// An instance of the class registered for T, its engine value copied (for
// values kept beyond the call, and items of lists, which may be temporaries).
template <Registered T>
struct Copied {
    using Value = T;
    static bool convert(PyObject* object, T& out);
};

// A Python object handed through unconverted, borrowed for the call.
struct Borrowed {
    PyObject* object = nullptr;
};

// A tuple, exactly (no subclass), borrowed.
struct TupleObject {
    using Value = Borrowed;
    static bool convert(PyObject* object, Borrowed& out);
};

}  // namespace kolvar::bind
