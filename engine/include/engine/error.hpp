// The engine's failure value. Every engine operation that can fail returns
// `Result<T>`: its value, or one `EngineError` whose kind fixes the text
// prefix and the Python exception the binding layer raises for it.
#pragma once

#include <expected>
#include <string>
#include <utility>

namespace kolvar::engine {

enum class ErrorKind : unsigned {
    ThermoFailed = 0,  // "thermo evaluation failed: "      -> RuntimeError
    InvalidInput = 1,  // "dimension mismatch: "             -> ValueError
    NotConverged = 2,  // "solver did not converge: "        -> RuntimeError
    Infeasible = 3,    // "specification is infeasible: "    -> ValueError
    // Long work stopped by its caller between items (see interrupt.hpp); the
    // caller reports its own reason, so this kind is never shown.
    Interrupted = 4,   // "interrupted: "
};

struct EngineError {
    ErrorKind kind;
    std::string message;  // stored without the kind's prefix

    // The prefix of a kind, including its trailing blank.
    static const char* prefix(ErrorKind kind);
    // Prefix followed by the message.
    std::string display() const;
};

template <class T>
using Result = std::expected<T, EngineError>;

inline std::unexpected<EngineError> fail(ErrorKind kind, std::string message)
{
    return std::unexpected(EngineError{kind, std::move(message)});
}
inline std::unexpected<EngineError> invalid_input(std::string message)
{
    return fail(ErrorKind::InvalidInput, std::move(message));
}
inline std::unexpected<EngineError> thermo_failed(std::string message)
{
    return fail(ErrorKind::ThermoFailed, std::move(message));
}
inline std::unexpected<EngineError> not_converged(std::string message)
{
    return fail(ErrorKind::NotConverged, std::move(message));
}
inline std::unexpected<EngineError> infeasible(std::string message)
{
    return fail(ErrorKind::Infeasible, std::move(message));
}
inline std::unexpected<EngineError> interrupted(std::string message)
{
    return fail(ErrorKind::Interrupted, std::move(message));
}

}  // namespace kolvar::engine
