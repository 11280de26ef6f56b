// Text forms of the thermodynamic library's failures.
#include "thermo/flash.hpp"

#include "kolvar/format.hpp"

#include <utility>

namespace kolvar::thermo {

ThermoError ThermoError::dimension_mismatch(std::string message)
{
    return {.kind = Kind::DimensionMismatch, .message = std::move(message)};
}

ThermoError ThermoError::no_convergence(std::string what, std::uint64_t iterations, double residual)
{
    return {.kind = Kind::NoConvergence, .message = std::move(what), .iterations = iterations, .residual = residual};
}

ThermoError ThermoError::evaluation(std::string message)
{
    return {.kind = Kind::Evaluation, .message = std::move(message)};
}

ThermoError ThermoError::unsupported(std::string message)
{
    return {.kind = Kind::Unsupported, .message = std::move(message)};
}

ThermoError ThermoError::stopped() { return evaluation("stopped on request"); }

std::string ThermoError::text() const
{
    using format::text;
    switch (kind) {
    case Kind::DimensionMismatch: return text("dimension mismatch: ", message);
    case Kind::NoConvergence:
        return text(message, " did not converge in ", iterations, " iterations (residual ", format::Exp{residual, 3},
                    ")");
    case Kind::RachfordRice:
        return text("Rachford-Rice has no bracketable root (Kmax=", format::Fixed{k_max, 4},
                    ", Kmin=", format::Fixed{k_min, 4}, ")");
    case Kind::Evaluation: return text("thermodynamic evaluation failed: ", message);
    case Kind::Unsupported: return text("unsupported: ", message);
    }
    return message;
}

}  // namespace kolvar::thermo
