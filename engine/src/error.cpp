#include "engine/error.hpp"

namespace kolvar::engine {

const char* EngineError::prefix(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::ThermoFailed: return "thermo evaluation failed: ";
    case ErrorKind::InvalidInput: return "dimension mismatch: ";
    case ErrorKind::NotConverged: return "solver did not converge: ";
    case ErrorKind::Infeasible: return "specification is infeasible: ";
    case ErrorKind::Interrupted: return "interrupted: ";
    }
    return "";
}

std::string EngineError::display() const
{
    std::string out = prefix(kind);
    out += message;
    return out;
}

}  // namespace kolvar::engine
