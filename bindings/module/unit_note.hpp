// An answer to a question asked at a temperature, with the words for that
// temperature when no liquid of the system can have it: converted to Python,
// it first issues kolvar.UnitWarning (the warning needs the interpreter lock,
// which the question itself may run without).
#pragma once

#include "module/warnings.hpp"

#include "toolkit/to_python.hpp"

#include "engine/error.hpp"
#include "engine/thermo/temperature_units.hpp"

#include <optional>
#include <string>
#include <utility>

namespace kolvar::engine {

template <class T>
struct UnitNoted {
    T value;
    std::optional<std::string> note;  // "74 K is below benzene's melting point (278.7 K)"
};

// The answer with the note on `t` [K], or the failure unchanged.
template <class T>
Result<UnitNoted<T>> noted(Result<T> answer, const ThermoSystem& system, double t)
{
    if (!answer) return std::unexpected(std::move(answer.error()));
    return UnitNoted<T>{std::move(*answer), implausible_temperature(system, t)};
}

// Null when the warning filters turned the warning into an exception.
template <class T>
PyObject* to_python(UnitNoted<T>&& answer)
{
    if (answer.note && !bind::warn(bind::unit_warning, *answer.note + "; temperatures are in K")) return nullptr;
    return bind::to_python(std::move(answer.value));
}

}  // namespace kolvar::engine
