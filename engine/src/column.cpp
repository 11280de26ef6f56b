#include "engine/column.hpp"

#include "kolvar/format.hpp"

namespace kolvar::engine {

const char* name(CondenserKind kind)
{
    return kind == CondenserKind::Partial ? "Partial" : "Total";
}

std::expected<CondenserKind, std::string> parse_condenser(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (lowered == "total") return CondenserKind::Total;
    if (lowered == "partial") return CondenserKind::Partial;
    return std::unexpected(format::text("condenser must be 'total' or 'partial', got ", format::Quoted{lowered}));
}

namespace {

// 0 <= v <= 1, false for NaN.
bool is_mole_fraction(double v) { return v >= 0.0 && v <= 1.0; }

Result<void> check_fraction(const char* quantity, double v)
{
    if (is_mole_fraction(v)) return {};
    return invalid_input(format::text(quantity, " must be a mole fraction in [0, 1], got ", v));
}

}  // namespace

Result<void> validate(const BinaryColumn& column)
{
    const Feed& feed = column.feed;
    if (!(feed.rate > 0.0)) {
        return invalid_input(format::text("feed rate must be positive, got ", feed.rate, " kmol/h"));
    }
    if (auto ok = check_fraction("z_F", feed.z); !ok) return ok;
    if (auto ok = check_fraction("x_D", column.x_distillate); !ok) return ok;
    if (auto ok = check_fraction("x_B", column.x_bottoms); !ok) return ok;
    if (!(feed.z < column.x_distillate && feed.z > column.x_bottoms)) {
        return invalid_input(format::text("specs must satisfy x_B < z_F < x_D, got x_B = ", column.x_bottoms,
                                          ", z_F = ", feed.z, ", x_D = ", column.x_distillate));
    }
    return {};
}

Result<BinaryColumn> make_column(double pressure, Feed feed, double x_distillate, double x_bottoms,
                                 CondenserKind condenser)
{
    BinaryColumn column{pressure, feed, x_distillate, x_bottoms, condenser};
    if (auto ok = validate(column); !ok) return std::unexpected(std::move(ok.error()));
    return column;
}

Result<double> distillate_rate(const BinaryColumn& column)
{
    if (auto ok = validate(column); !ok) return std::unexpected(std::move(ok.error()));
    const Feed& feed = column.feed;
    return ((feed.z - column.x_bottoms) * feed.rate) / (column.x_distillate - column.x_bottoms);
}

Result<double> bottoms_rate(const BinaryColumn& column)
{
    auto d = distillate_rate(column);
    if (!d) return d;
    return column.feed.rate - *d;
}

}  // namespace kolvar::engine
