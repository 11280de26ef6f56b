// Declaring functions, methods and constructors.
//
// A declaration names the callable, gives its docstring, the engine call and
// its parameters with their conversions:
//
//   inline const auto rmin_function = function(
//       "rmin", "Minimum reflux by pinch detection (tangent pinches included).",
//       [](const engine::EquilibriumCurve& curve, double x_d, double x_b, double z_f, double q) {
//           return engine::rmin(curve, x_d, x_b, z_f, q);
//       },
//       required<Instance<engine::EquilibriumCurve>>("curve"), required<Float>("x_distillate"),
//       required<Float>("x_bottoms"), required<Float>("z_feed"), optional<Float>("q", 1.0));
//
// The toolkit binds the arguments (exact TypeError texts), converts them
// left to right (the first bad one is reported, prefixed with its name),
// calls the engine, converts the result with to_python and keeps every C++
// exception inside. The text signature "rmin(curve, x_distillate, x_bottoms,
// z_feed, q=1.0)" is derived from the parameters. The call holds a reference
// to every argument until it returns.
//
// Engine work that can take long runs without the interpreter lock when the
// declaration says so, always or for some arguments:
//
//   inline const auto n_vs_r_function = function(...).without_lock();
//   inline const auto total_reflux_function = function(...).without_lock_when(
//       [](const engine::EquilibriumCurve&, double, double, double murphree) { return murphree < 1.0; });
//
// (the predicate takes the converted arguments as the engine call does). Such
// an engine call must not touch Python: its implementation returns engine
// values only. An implementation whose last parameter is an
// engine::Interrupt gets one that stops the work when a signal handler
// raises (see engine_work.hpp).
#pragma once

#include "toolkit/arguments.hpp"
#include "toolkit/box.hpp"
#include "toolkit/convert.hpp"
#include "toolkit/engine_work.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/python.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/to_python.hpp"

#include "engine/interrupt.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace kolvar::bind {

template <class C>
struct Param {
    const char* name;
    std::optional<typename C::Value> fallback;  // empty: required
};

template <class C>
Param<C> required(const char* name)
{
    return {name, std::nullopt};
}

template <class C>
Param<C> optional(const char* name, typename C::Value fallback)
{
    return {name, std::move(fallback)};
}

enum class CallableKind { Function, StaticMethod, Method, Constructor };

// Marks the Self of a constructor declaration that makes a T.
template <class T>
struct New {};

template <class T>
inline constexpr bool is_new = false;
template <class T>
inline constexpr bool is_new<New<T>> = true;

namespace detail {

template <class C>
decltype(auto) pass(typename C::Value& value)
{
    if constexpr (std::is_pointer_v<typename C::Value>) {
        return *value;  // instances are passed as references to the borrowed value
    } else {
        return std::move(value);
    }
}

// The converted argument as a predicate about it reads it.
template <class C>
const auto& view(const typename C::Value& value)
{
    if constexpr (std::is_pointer_v<typename C::Value>) {
        return *value;
    } else {
        return value;
    }
}

template <class C>
bool convert_one(const Param<C>& param, PyObject* argument, typename C::Value& out)
{
    if (argument == nullptr) {
        out = *param.fallback;
        return true;
    }
    if (C::convert(argument, out)) return true;
    prefix_type_error(param.name);
    return false;
}

template <class C>
void append_param(std::string& out, const Param<C>& param)
{
    out += param.name;
    if constexpr (requires { C::default_text(*param.fallback); }) {
        if (param.fallback) {
            out += '=';
            out += C::default_text(*param.fallback);
        }
    }
}

}  // namespace detail

// `Self` is the engine type of the instance for methods, void otherwise.
template <class Self, class Impl, class... Cs>
struct Callable {
    using Values = std::tuple<typename Cs::Value...>;
    using Owner = Self;
    static constexpr std::size_t arity = sizeof...(Cs);

    CallableKind kind;
    const char* owner;  // class name for methods and constructors, null for functions
    const char* name;
    const char* doc;
    Impl impl;
    std::tuple<Param<Cs>...> params;
    std::array<ParamInfo, sizeof...(Cs)> info;
    std::string error_name;  // "rmin", "Feed.__new__", "ThermoSystem.bubble_temperature"
    // Whether the engine call runs without the interpreter lock, given the
    // converted arguments; null: never.
    bool (*unlocked_if)(const Values&) = nullptr;

    Callable(CallableKind kind_of, const char* owner_name, const char* own_name, const char* docstring, Impl body,
             Param<Cs>... ps)
        : kind(kind_of), owner(owner_name), name(own_name), doc(docstring), impl(std::move(body)), params(ps...),
          info{ParamInfo{ps.name, !ps.fallback.has_value()}...},
          error_name(owner_name ? std::string(owner_name) + "." +
                                      (kind_of == CallableKind::Constructor ? "__new__" : own_name)
                                : std::string(own_name))
    {
    }

    // This declaration with its engine call made without the lock.
    Callable without_lock() const
    {
        Callable unlocked = *this;
        unlocked.unlocked_if = [](const Values&) { return true; };
        return unlocked;
    }

    // This declaration with its engine call made without the lock when
    // `Predicate` (a lambda without captures) holds for the arguments.
    template <class Predicate>
    Callable without_lock_when(Predicate) const
    {
        Callable unlocked = *this;
        unlocked.unlocked_if = [](const Values& values) {
            return std::apply([](const auto&... v) { return static_cast<bool>(Predicate{}(detail::view<Cs>(v)...)); },
                              values);
        };
        return unlocked;
    }

    // "name(a, b, q=1.0)" ("$self, " first for instance methods).
    std::string signature(const char* shown_name) const
    {
        std::string out = shown_name;
        out += '(';
        bool first = true;
        if (kind == CallableKind::Method) {
            out += "$self";
            first = false;
        }
        std::apply([&](const auto&... ps) {
            ((out += first ? "" : ", ", first = false, detail::append_param(out, ps)), ...);
        }, params);
        out += ')';
        return out;
    }

    // The docstring with the text signature CPython reads for inspect.signature.
    std::string documented(const char* shown_name) const
    {
        return signature(shown_name) + "\n--\n\n" + doc;
    }

    PyObject* call(PyObject* self, PyObject* args, PyObject* kwargs) const
    {
        return guarded([&]() -> PyObject* {
            std::array<PyObject*, sizeof...(Cs) + 1> slots{};  // +1 keeps the array non-empty
            if (!bind_arguments(error_name.c_str(), info, args, kwargs, {slots.data(), sizeof...(Cs)})) {
                return nullptr;
            }
            // The arguments stay alive, whatever the caller does with its own
            // references, while their values are in use (also without the lock).
            std::array<Ref, sizeof...(Cs) + 1> held{};
            for (std::size_t i = 0; i < sizeof...(Cs); ++i) held[i] = Ref::borrow(slots[i]);
            held[sizeof...(Cs)] = Ref::borrow(self);
            Values values{};
            if (!convert_all(slots, values, std::index_sequence_for<Cs...>{})) return nullptr;
            return invoke(self, values, std::index_sequence_for<Cs...>{});
        });
    }

private:
    template <std::size_t... I>
    bool convert_all(const std::array<PyObject*, sizeof...(Cs) + 1>& slots, std::tuple<typename Cs::Value...>& values,
                     std::index_sequence<I...>) const
    {
        return (detail::convert_one(std::get<I>(params), slots[I], std::get<I>(values)) && ...);
    }

    template <std::size_t... I>
    PyObject* invoke(PyObject* self, Values& values, std::index_sequence<I...> order) const
    {
        const bool release = unlocked_if != nullptr && unlocked_if(values);
        if constexpr (std::is_void_v<Self>) {
            return to_python(compute(release, values, order));
        } else if constexpr (is_new<Self>) {
            // For constructors `self` is the type being instantiated.
            auto made = compute(release, values, order);
            return construct(reinterpret_cast<PyTypeObject*>(self), std::move(made));
        } else {
            return to_python(compute(release, values, order, unbox<Self>(self)));
        }
    }

    // The engine call, within its EngineWork; the result is built before the
    // lock is taken back and converted after.
    template <std::size_t... I, class... Leading>
    auto compute(bool release, Values& values, std::index_sequence<I...>, const Leading&... leading) const
    {
        constexpr bool interruptible = std::is_invocable_v<const Impl&, const Leading&...,
                                                           decltype(detail::pass<Cs>(std::get<I>(values)))...,
                                                           engine::Interrupt>;
        EngineWork work(release, interruptible);
        if constexpr (interruptible) {
            return impl(leading..., detail::pass<Cs>(std::get<I>(values))..., work.interrupt());
        } else {
            return impl(leading..., detail::pass<Cs>(std::get<I>(values))...);
        }
    }

    template <class V>
    static PyObject* construct(PyTypeObject* type, engine::Result<V>&& made)
    {
        if (!made) {
            raise(made.error());
            return nullptr;
        }
        return box_into(type, std::move(*made));
    }
    template <class V>
    static PyObject* construct(PyTypeObject* type, V&& made)
    {
        return box_into(type, std::forward<V>(made));
    }
};

template <class Impl, class... Cs>
Callable<void, Impl, Cs...> function(const char* name, const char* doc, Impl impl, Param<Cs>... params)
{
    return {CallableKind::Function, nullptr, name, doc, std::move(impl), std::move(params)...};
}

template <class Impl, class... Cs>
Callable<void, Impl, Cs...> static_method(const char* owner, const char* name, const char* doc, Impl impl,
                                          Param<Cs>... params)
{
    return {CallableKind::StaticMethod, owner, name, doc, std::move(impl), std::move(params)...};
}

template <class Self, class Impl, class... Cs>
Callable<Self, Impl, Cs...> method(const char* owner, const char* name, const char* doc, Impl impl,
                                   Param<Cs>... params)
{
    return {CallableKind::Method, owner, name, doc, std::move(impl), std::move(params)...};
}

// The engine value of a new instance; `impl` returns it (or a Result of it).
template <class Self, class Impl, class... Cs>
Callable<New<Self>, Impl, Cs...> constructor(const char* owner, const char* doc, Impl impl, Param<Cs>... params)
{
    return {CallableKind::Constructor, owner, "__new__", doc, std::move(impl), std::move(params)...};
}

// C entry points for a declaration with static storage.
template <const auto& Decl>
PyObject* call_entry(PyObject* self, PyObject* args, PyObject* kwargs)
{
    return Decl.call(self, args, kwargs);
}

template <const auto& Decl>
PyObject* new_entry(PyTypeObject* type, PyObject* args, PyObject* kwargs)
{
    return Decl.call(reinterpret_cast<PyObject*>(type), args, kwargs);
}

// A method table entry for a function or method declaration; its docstring
// (with the text signature) is kept alive for the life of the process.
PyMethodDef method_def(const char* name, PyCFunctionWithKeywords entry, int flags, std::string documented);

template <const auto& Decl>
PyMethodDef def()
{
    const int flags = METH_VARARGS | METH_KEYWORDS | (Decl.kind == CallableKind::StaticMethod ? METH_STATIC : 0);
    return method_def(Decl.name, &call_entry<Decl>, flags, Decl.documented(Decl.name));
}

}  // namespace kolvar::bind
