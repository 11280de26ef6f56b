#include "toolkit/plain.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/registry.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

// Lists longer than this are shortened in tables: their first and last items
// are shown around an ellipsis.
constexpr Py_ssize_t shown_values = 8;
constexpr Py_ssize_t shown_rows = 40;
constexpr int table_digits = 6;

// The units of attribute names, noted as the classes are made (under the
// interpreter lock, once per process).
std::vector<std::pair<std::string, std::string>>& units()
{
    static std::vector<std::pair<std::string, std::string>> noted;
    return noted;
}

std::string_view unit_of(std::string_view name)
{
    for (const auto& [known, unit] : units())
        if (known == name) return unit;
    return {};
}

// The text between `open` and `close` first found in `doc`, if it looks like a unit.
std::string_view marked(std::string_view doc, std::string_view open, std::string_view close, std::size_t& at)
{
    at = doc.find(open);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + open.size();
    const std::size_t end = doc.find(close, start);
    if (end == std::string_view::npos) return {};
    const std::string_view text = doc.substr(start, end - start);
    constexpr std::size_t longest_unit = 10;
    if (text.empty() || text.size() > longest_unit || text.find_first_of(" \n`") != std::string_view::npos) return {};
    return text;
}

// A header cell's text: the name, and its unit in brackets when one is noted.
bool append_header(std::string& out, PyObject* key);

bool is_scalar(PyObject* value)
{
    return value == Py_None || PyLong_Check(value) || PyFloat_Check(value) || PyUnicode_Check(value);
}

// A plain list of the items of a list or tuple.
PyObject* plain_list(PyObject* sequence)
{
    const Py_ssize_t size = PySequence_Size(sequence);
    if (size < 0) return nullptr;
    Ref list = Ref::steal(PyList_New(size));
    if (!list) return nullptr;
    for (Py_ssize_t i = 0; i < size; ++i) {
        Ref item = Ref::steal(PySequence_GetItem(sequence, i));
        PyObject* plain = item ? plain_value(item.get()) : nullptr;
        if (plain == nullptr) return nullptr;
        PyList_SetItem(list.get(), i, plain);  // steals
    }
    return list.release();
}

// The plain form of an instance of one of the module's classes, or null
// without an exception when `value` is none.
PyObject* plain_instance(PyObject* value, bool& found)
{
    found = false;
    ModuleState* state = module_state();
    if (state == nullptr) return nullptr;
    for (std::size_t slot = 0; slot < state->types.size(); ++slot) {
        PyObject* type = state->types[slot];
        if (type == nullptr || !PyObject_TypeCheck(value, reinterpret_cast<PyTypeObject*>(type))) continue;
        found = true;
        if (state->plain_forms[slot] == nullptr) {
            raise(PyExc_SystemError, format::text("kolvar._engine: class ", state->classes[slot]->name,
                                                  " has no plain form"));
            return nullptr;
        }
        return state->plain_forms[slot](value);
    }
    return nullptr;
}

// The UTF-8 text of a str, or of str(value) for anything else.
bool utf8_of(PyObject* value, std::string& out)
{
    Ref text = Ref::steal(PyUnicode_Check(value) ? (Py_INCREF(value), value) : PyObject_Str(value));
    Ref bytes = Ref::steal(text ? PyUnicode_AsUTF8String(text.get()) : nullptr);
    const char* data = bytes ? PyBytes_AsString(bytes.get()) : nullptr;
    if (data == nullptr) return false;
    out.assign(data, static_cast<std::size_t>(PyBytes_Size(bytes.get())));
    return true;
}

void append_escaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out.append("&amp;"); break;
        case '<': out.append("&lt;"); break;
        case '>': out.append("&gt;"); break;
        case '"': out.append("&quot;"); break;
        default: out.push_back(c);
        }
    }
}

bool append_html(std::string& out, PyObject* plain);

bool append_scalar(std::string& out, PyObject* value)
{
    if (value == Py_None) {
        out.append("—");
        return true;
    }
    if (PyFloat_Check(value)) {
        format::append_significant(out, PyFloat_AsDouble(value), table_digits);
        return true;
    }
    std::string text;
    if (!utf8_of(value, text)) return false;
    append_escaped(out, text);
    return true;
}

// A list of dicts with the keys of the first: one table, a row each.
bool is_record_list(PyObject* list, Py_ssize_t size)
{
    if (size == 0) return false;
    PyObject* first = PyList_GetItem(list, 0);
    if (!PyDict_Check(first)) return false;
    for (Py_ssize_t i = 1; i < size; ++i) {
        PyObject* item = PyList_GetItem(list, i);
        if (!PyDict_Check(item) || PyDict_Size(item) != PyDict_Size(first)) return false;
    }
    return true;
}

bool append_records(std::string& out, PyObject* list, Py_ssize_t size)
{
    Ref keys = Ref::steal(PyDict_Keys(PyList_GetItem(list, 0)));
    if (!keys) return false;
    const Py_ssize_t columns = PyList_Size(keys.get());
    out.append("<table><tr>");
    for (Py_ssize_t c = 0; c < columns; ++c) {
        out.append("<th>");
        if (!append_header(out, PyList_GetItem(keys.get(), c))) return false;
        out.append("</th>");
    }
    out.append("</tr>");
    const Py_ssize_t head = size > shown_rows ? shown_rows / 2 : size;
    for (Py_ssize_t i = 0; i < size; ++i) {
        if (i == head && head < size - shown_rows / 2) {
            out.append("<tr><td colspan=\"").append(format::count(static_cast<std::uint64_t>(columns)));
            out.append("\">… ").append(format::count(static_cast<std::uint64_t>(size))).append(" rows …</td></tr>");
            i = size - shown_rows / 2;
        }
        PyObject* record = PyList_GetItem(list, i);
        out.append("<tr>");
        for (Py_ssize_t c = 0; c < columns; ++c) {
            PyObject* cell = PyDict_GetItem(record, PyList_GetItem(keys.get(), c));  // borrowed
            out.append(cell != nullptr && PyFloat_Check(cell) ? "<td style=\"text-align:right\">" : "<td>");
            if (cell != nullptr && !append_html(out, cell)) return false;
            out.append("</td>");
        }
        out.append("</tr>");
    }
    out.append("</table>");
    return true;
}

bool append_list(std::string& out, PyObject* list)
{
    const Py_ssize_t size = PyList_Size(list);
    if (is_record_list(list, size)) return append_records(out, list, size);
    out.push_back('[');
    const Py_ssize_t head = size > shown_values ? shown_values - 2 : size;
    for (Py_ssize_t i = 0; i < size; ++i) {
        if (i > 0) out.append(", ");
        if (i == head && head < size) {
            out.append("…, ");
            i = size - 1;
        }
        if (!append_html(out, PyList_GetItem(list, i))) return false;
    }
    out.push_back(']');
    if (size > shown_values) out.append(" (").append(format::count(static_cast<std::uint64_t>(size))).append(" values)");
    return true;
}

bool append_dict(std::string& out, PyObject* dict, const char* caption)
{
    out.append("<table>");
    if (caption != nullptr) {
        out.append("<caption style=\"text-align:left\"><b>");
        append_escaped(out, caption);
        out.append("</b></caption>");
    }
    Py_ssize_t position = 0;
    PyObject *key, *value;  // borrowed
    while (PyDict_Next(dict, &position, &key, &value)) {
        out.append("<tr><th style=\"text-align:left\">");
        if (!append_header(out, key)) return false;
        out.append(PyFloat_Check(value) ? "</th><td style=\"text-align:right\">" : "</th><td style=\"text-align:left\">");
        if (!append_html(out, value)) return false;
        out.append("</td></tr>");
    }
    out.append("</table>");
    return true;
}

bool append_header(std::string& out, PyObject* key)
{
    std::string name;
    if (!utf8_of(key, name)) return false;
    append_escaped(out, name);
    if (const std::string_view unit = unit_of(name); !unit.empty()) {
        out.append(" [");
        append_escaped(out, unit);
        out.push_back(']');
    }
    return true;
}

bool append_html(std::string& out, PyObject* plain)
{
    if (PyDict_Check(plain)) return append_dict(out, plain, nullptr);
    if (PyList_Check(plain)) return append_list(out, plain);
    return append_scalar(out, plain);
}

}  // namespace

PyObject* plain_value(PyObject* value)
{
    if (PyFloat_Check(value)) {
        const double number = PyFloat_AsDouble(value);
        if (!std::isfinite(number)) Py_RETURN_NONE;
        return PyFloat_FromDouble(number);  // a float, whatever subclass came in
    }
    if (is_scalar(value)) {
        Py_INCREF(value);
        return value;
    }
    if (PyList_Check(value) || PyTuple_Check(value)) return plain_list(value);
    if (PyDict_Check(value)) return plain_dict_of(value);
    bool found = false;
    PyObject* plain = plain_instance(value, found);
    if (found || PyErr_Occurred()) return plain;
    return PyObject_Str(value);
}

void note_unit(const char* name, const char* doc)
{
    if (name == nullptr || doc == nullptr || !unit_of(name).empty()) return;
    std::size_t bracket = 0, bold = 0;
    const std::string_view in_brackets = marked(doc, "[", "]", bracket);
    const std::string_view in_bold = marked(doc, "**", "**", bold);
    const std::string_view unit = in_brackets.empty() || (!in_bold.empty() && bold < bracket) ? in_bold : in_brackets;
    if (!unit.empty()) units().emplace_back(name, unit);
}

PyObject* plain_dict_of(PyObject* dict)
{
    Ref out = Ref::steal(PyDict_New());
    if (!out) return nullptr;
    Py_ssize_t position = 0;
    PyObject *key, *value;  // borrowed
    while (PyDict_Next(dict, &position, &key, &value)) {
        Ref plain = Ref::steal(plain_value(value));
        if (!plain || PyDict_SetItem(out.get(), key, plain.get()) < 0) return nullptr;
    }
    return out.release();
}

PyObject* html_table(const char* class_name, PyObject* plain)
{
    std::string out;
    if (!PyDict_Check(plain)) {
        raise(PyExc_SystemError, "kolvar._engine: a table is made of a dict");
        return nullptr;
    }
    if (!append_dict(out, plain, class_name)) return nullptr;
    return PyUnicode_FromStringAndSize(out.data(), static_cast<Py_ssize_t>(out.size()));
}

PyMethodDef to_dict_def(PyCFunction entry)
{
    return {"to_dict", entry, METH_NOARGS,
            "to_dict($self, /)\n--\n\n"
            "The attributes as plain Python data, in their order: nested results as\n"
            "dicts, enumeration members as their names, tuples as lists, and NaN or\n"
            "infinite numbers as None, so that json.dumps writes the result."};
}

PyMethodDef repr_html_def(PyCFunction entry)
{
    return {"_repr_html_", entry, METH_NOARGS,
            "_repr_html_($self, /)\n--\n\nThe attributes as an HTML table, for notebooks."};
}

}  // namespace kolvar::bind
