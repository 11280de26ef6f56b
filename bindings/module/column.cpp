// Feed, BinaryColumn, CondenserKind and Line.
#include "module/classes.hpp"
#include "module/conversions.hpp"
#include "module/energy.hpp"

#include "toolkit/class.hpp"

#include "engine/binary/restore.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <tuple>

namespace kolvar::bind {
namespace {

using engine::BinaryColumn;
using engine::CondenserKind;
using engine::Feed;
using engine::Line;

// Feed ---------------------------------------------------------------------

const auto feed_new = constructor<Feed>(
    "Feed", "",
    [](double rate, double z, double q) { return Feed{rate, z, q}; },
    required<Float>("rate"), required<Float>("z"), optional<Float>("q", 1.0));

std::string feed_repr(const Feed& feed)
{
    return format::text("Feed(rate=", feed.rate, " kmol/h, z=", feed.z, ", q=", feed.q, ")");
}

// BinaryColumn -------------------------------------------------------------

const auto column_new = constructor<BinaryColumn>(
    "BinaryColumn", "",
    [](double pressure, const Feed& feed, double x_distillate, double x_bottoms, CondenserKind condenser) {
        return engine::make_column(pressure, feed, x_distillate, x_bottoms, condenser);
    },
    required<Float>("pressure"), required<Instance<Feed>>("feed"), required<Float>("x_distillate"),
    required<Float>("x_bottoms"), optional<Condenser>("condenser", CondenserKind::Total));

const auto column_distillate_rate = method<BinaryColumn>(
    "BinaryColumn", "distillate_rate", "Distillate molar flow D [kmol/h] from the material balances.",
    [](const BinaryColumn& column) { return engine::distillate_rate(column); });

const auto column_bottoms_rate = method<BinaryColumn>(
    "BinaryColumn", "bottoms_rate", "Bottoms molar flow B = F − D [kmol/h].",
    [](const BinaryColumn& column) { return engine::bottoms_rate(column); });

// The attributes in their order, through the constructor's checks.
const auto column_rebuild = constructor<BinaryColumn>(
    "BinaryColumn", "",
    [](double pressure, CondenserKind condenser, const Feed& feed, double x_distillate, double x_bottoms) {
        return engine::make_column(pressure, feed, x_distillate, x_bottoms, condenser);
    },
    required<Float>("pressure"), required<Copied<CondenserKind>>("condenser"), required<Instance<Feed>>("feed"),
    required<Float>("x_distillate"), required<Float>("x_bottoms"));

std::string column_repr(const BinaryColumn& column)
{
    return format::text("BinaryColumn(P=", column.pressure, " kPa, zF=", column.feed.z, ", xD=", column.x_distillate,
                     ", xB=", column.x_bottoms, ")");
}

// CondenserKind ------------------------------------------------------------

std::string condenser_repr(const CondenserKind& kind) { return format::text("CondenserKind.", engine::name(kind)); }

// A member is plain data as its name.
PyObject* condenser_name(const CondenserKind& kind) { return PyUnicode_FromString(engine::name(kind)); }

// A member travels as its value.
PyObject* condenser_state(const CondenserKind& kind) { return to_python(std::tuple{static_cast<std::uint64_t>(kind)}); }

const auto condenser_rebuild = constructor<CondenserKind>(
    "CondenserKind", "", [](std::uint64_t value) { return engine::restore_condenser(value); },
    required<Count>("value"));

PyObject* condenser_int(PyObject* self)
{
    return PyLong_FromLong(static_cast<long>(unbox<CondenserKind>(self)));
}

// Members compare with members, and with anything CPython converts to a
// 64-bit integer through __index__ (int, bool); everything else is
// NotImplemented. Only a KeyboardInterrupt escapes a comparison.
PyObject* condenser_compare(PyObject* self, PyObject* other, int op)
{
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    PyTypeObject* type = type_of<CondenserKind>();
    if (type == nullptr) {
        PyErr_Clear();  // no exception escapes a comparison
        Py_RETURN_NOTIMPLEMENTED;
    }
    if (!PyObject_TypeCheck(self, type)) Py_RETURN_NOTIMPLEMENTED;
    const long long mine = static_cast<long long>(unbox<CondenserKind>(self));
    long long theirs = 0;
    if (PyObject_TypeCheck(other, type)) {
        theirs = static_cast<long long>(unbox<CondenserKind>(other));
    } else {
        // __index__ only: before 3.10 PyLong_AsLongLong also takes __int__,
        // which would make a member equal to a float that truncates to it.
        Ref index = Ref::steal(PyNumber_Index(other));
        theirs = index ? PyLong_AsLongLong(index.get()) : -1;
        if (theirs == -1 && PyErr_Occurred()) {
            // An __index__ that failed; a Ctrl-C that arrived meanwhile is the caller's.
            if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)) return nullptr;
            PyErr_Clear();
            Py_RETURN_NOTIMPLEMENTED;
        }
    }
    const bool equal = mine == theirs;
    return PyBool_FromLong((op == Py_EQ) == equal ? 1 : 0);
}

PyObject* make_feed()
{
    ClassSpec<Feed> spec{
        "A single feed to a binary column.\n\n"
        "`q` is the thermal condition: the fraction of the feed that joins the liquid\n"
        "flowing down. q = 1 is saturated liquid at the bubble point, q = 0 saturated\n"
        "vapour at the dew point, 0 < q < 1 a two-phase feed, q > 1 subcooled liquid\n"
        "and q < 0 superheated vapour."};
    spec.constructor<feed_new>();
    spec.attributes = {
        field<&Feed::rate>("rate", "Feed molar flow `F` in **kmol/h**."),
        field<&Feed::z>("z", "Light-component mole fraction `z_F` of the feed (0–1)."),
        field<&Feed::q>("q", "Thermal condition `q` (dimensionless, see type docs)."),
    };
    spec.methods = {feed_from_conditions_def()};
    spec.repr = repr_of<Feed, &feed_repr>;
    spec.rebuilt_by<feed_new>();
    return create_class(std::move(spec));
}
const DeclaredClass<Feed> feed_class{"Feed", &make_feed};

PyObject* make_binary_column()
{
    ClassSpec<BinaryColumn> spec{
        "A binary two-product column: one feed, a distillate and a bottoms product\n"
        "and a single column pressure — everything the McCabe–Thiele construction\n"
        "needs. (A fuller column model with several feeds, side draws, duties and\n"
        "pressure profiles is outside this module.)"};
    spec.constructor<column_new>();
    spec.attributes = {
        field<&BinaryColumn::pressure>("pressure",
                                       "Column pressure in **kPa** (absolute), taken uniform across stages at\n"
                                       "this rung of the ladder."),
        field<&BinaryColumn::condenser>("condenser",
                                        "Condenser kind (total condensers are the McCabe–Thiele default)."),
        field<&BinaryColumn::feed>("feed", "The single feed."),
        field<&BinaryColumn::x_distillate>("x_distillate", "Light-component mole fraction of the distillate, `x_D`."),
        field<&BinaryColumn::x_bottoms>("x_bottoms", "Light-component mole fraction of the bottoms, `x_B`."),
    };
    spec.methods = {def<column_distillate_rate>(), def<column_bottoms_rate>()};
    spec.repr = repr_of<BinaryColumn, &column_repr>;
    spec.rebuilt_by<column_rebuild>();
    return create_class(std::move(spec));
}
const DeclaredClass<BinaryColumn> binary_column_class{"BinaryColumn", &make_binary_column};

PyObject* make_condenser_kind()
{
    ClassSpec<CondenserKind> spec{
        "The condenser at the top of the column (stage 1).\n\n"
        "A total condenser condenses the whole overhead vapour, so reflux and distillate\n"
        "share the vapour's composition and the condenser is not an equilibrium stage\n"
        "(stepping starts on the diagonal at x_D). A partial condenser condenses only the\n"
        "reflux and takes the distillate as vapour, which makes it one equilibrium stage."};
    spec.repr = repr_of<CondenserKind, &condenser_repr>;
    spec.str = repr_of<CondenserKind, &condenser_repr>;
    spec.compare = &condenser_compare;
    spec.unhashable = true;
    spec.to_int = &condenser_int;
    spec.plain = &condenser_name;
    spec.rebuilt_by<condenser_rebuild>(&condenser_state);
    Ref type = Ref::steal(create_class(std::move(spec)));
    if (!type) return nullptr;
    auto* as_type = reinterpret_cast<PyTypeObject*>(type.get());
    for (CondenserKind kind : {CondenserKind::Total, CondenserKind::Partial}) {
        Ref member = Ref::steal(box_into(as_type, CondenserKind(kind)));
        if (!member || PyObject_SetAttrString(type.get(), engine::name(kind), member.get()) < 0) return nullptr;
    }
    return type.release();
}
const DeclaredClass<CondenserKind> condenser_kind_class{"CondenserKind", &make_condenser_kind};

const auto line_rebuild = constructor<Line>(
    "Line", "", [](double slope, double intercept) { return engine::restore_line(slope, intercept); },
    required<Float>("slope"), required<Float>("intercept"));

PyObject* make_line()
{
    ClassSpec<Line> spec{"A straight construction line `y = slope · x + intercept`."};
    spec.attributes = {
        field<&Line::slope>("slope", "Slope (dimensionless)."),
        field<&Line::intercept>("intercept", "Intercept at x = 0 (mole fraction)."),
    };
    spec.rebuilt_by<line_rebuild>();
    return create_class(std::move(spec));
}
const DeclaredClass<Line> line_class{"Line", &make_line};

}  // namespace

}  // namespace kolvar::bind
