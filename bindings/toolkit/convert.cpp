#include "toolkit/convert.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <cstdint>
#include <string>

namespace kolvar::bind {
namespace {

bool text_of(PyObject* object, std::string& out)
{
    Ref bytes = Ref::steal(PyUnicode_AsUTF8String(object));
    if (!bytes) return false;
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes.get(), &data, &size) < 0) return false;
    out.assign(data, static_cast<std::size_t>(size));
    return true;
}

bool refuse_str_for_list(PyObject* object)
{
    if (!PyUnicode_Check(object)) return true;
    raise(PyExc_TypeError, "Can't extract `str` to `Vec`");
    return false;
}

// Iterates a sequence, calling item(PyObject*) for each element in order.
template <class Item>
bool for_each_item(PyObject* object, Item&& item)
{
    if (!PySequence_Check(object)) return refuse_type(object, "Sequence");
    Ref iterator = Ref::steal(PyObject_GetIter(object));
    if (!iterator) return false;
    while (Ref element = Ref::steal(PyIter_Next(iterator.get()))) {
        if (!item(element.get())) return false;
    }
    return !PyErr_Occurred();
}

bool text_item(PyObject* object, std::string& out)
{
    if (!PyUnicode_Check(object)) return refuse_type(object, "PyString");
    return text_of(object, out);
}

}  // namespace

bool refuse_type(PyObject* object, const char* target)
{
    Ref name = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "__name__"));
    if (!name) return false;
    PyErr_Format(PyExc_TypeError, "'%U' object cannot be converted to '%s'", name.get(), target);
    return false;
}

bool Float::convert(PyObject* object, double& out)
{
    out = PyFloat_AsDouble(object);
    return !(out == -1.0 && PyErr_Occurred());
}

std::string Float::default_text(double value)
{
    std::string text = kolvar::format::number(value);
    if (std::isfinite(value) && text.find('.') == std::string::npos) text += ".0";
    return text;
}

bool Count::convert(PyObject* object, std::uint64_t& out)
{
    Ref index = Ref::steal(PyNumber_Index(object));
    if (!index) return false;
    const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
    out = value;
    return true;
}

std::string Count::default_text(std::uint64_t value) { return kolvar::format::count(value); }

bool Text::convert(PyObject* object, std::string& out) { return text_item(object, out); }

std::string Text::default_text(const std::string& value) { return "\"" + value + "\""; }

bool Flag::convert(PyObject* object, bool& out)
{
    if (!PyBool_Check(object)) return refuse_type(object, "bool");
    out = object == Py_True;
    return true;
}

std::string Flag::default_text(bool value) { return value ? "True" : "False"; }

bool for_each_item(PyObject* object, bool (*item)(PyObject*, void*), void* context)
{
    if (!refuse_str_for_list(object)) return false;
    return for_each_item(object, [&](PyObject* element) { return item(element, context); });
}

bool TupleObject::convert(PyObject* object, Borrowed& out)
{
    if (!PyTuple_CheckExact(object)) return refuse_type(object, "tuple");
    out.object = object;
    return true;
}

bool check_mole_fractions(std::span<const double> values, const WarningCategory& category)
{
    double sum = 0.0;
    std::size_t negative = values.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        sum += values[i];
        if (values[i] < 0.0 && negative == values.size()) negative = i;
    }
    const bool off = !(std::abs(sum - 1.0) <= 1e-6);
    if (!off && negative == values.size()) return true;
    std::string message;
    if (off) message = format::text("composition sums to ", sum, ", not 1");
    if (negative < values.size()) {
        message += format::text(off ? ", and has" : "composition has", " a negative entry, ", values[negative],
                                " at index ", static_cast<std::uint64_t>(negative));
    }
    message += ": mole fractions are expected";
    if (off && sum > 1.0) message += " (percentages are the usual cause)";
    return warn(category, message);
}

bool FloatList::convert(PyObject* object, std::vector<double>& out)
{
    if (!refuse_str_for_list(object)) return false;
    out.clear();
    return for_each_item(object, [&](PyObject* item) {
        double value = 0.0;
        if (!Float::convert(item, value)) return false;
        out.push_back(value);
        return true;
    });
}

bool TextList::convert(PyObject* object, std::vector<std::string>& out)
{
    if (!refuse_str_for_list(object)) return false;
    out.clear();
    return for_each_item(object, [&](PyObject* item) { return text_item(item, out.emplace_back()); });
}

bool TextPair::convert(PyObject* object, std::array<std::string, 2>& out)
{
    if (!PySequence_Check(object)) return refuse_type(object, "Sequence");
    const Py_ssize_t size = PySequence_Size(object);
    if (size < 0) return false;
    if (size != 2) {
        raise(PyExc_ValueError,
              kolvar::format::text("expected a sequence of length 2 (got ", static_cast<std::uint64_t>(size), ")"));
        return false;
    }
    for (Py_ssize_t i = 0; i < 2; ++i) {
        Ref item = Ref::steal(PySequence_GetItem(object, i));
        if (!item || !text_item(item.get(), out[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

}  // namespace kolvar::bind
