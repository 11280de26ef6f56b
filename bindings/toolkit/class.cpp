#include "toolkit/class.hpp"

#include "toolkit/ref.hpp"

#include <string>
#include <vector>

namespace kolvar::bind {
namespace {

PyObject* no_constructor(PyTypeObject* type, PyObject*, PyObject*)
{
    Ref name = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__"));
    if (!name) return nullptr;
    PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
    return nullptr;
}

PyObject* type_from_spec(const char* qualified, int basicsize, std::vector<PyType_Slot> slots, const std::string& doc)
{
    slots.push_back({Py_tp_doc, const_cast<char*>(doc.c_str())});
    slots.push_back({0, nullptr});
    PyType_Spec spec{};
    spec.name = qualified;
    spec.basicsize = basicsize;
    spec.itemsize = 0;
    spec.flags = Py_TPFLAGS_DEFAULT;
    spec.slots = slots.data();
    return PyType_FromSpec(&spec);  // copies the docstring
}

}  // namespace

PyObject* create_type(TypeParts parts)
{
    // CPython keeps pointers into the method and attribute tables, and into
    // the qualified type name: they live as long as the process (types are
    // never freed).
    auto* getset = new std::vector<PyGetSetDef>(std::move(parts.getset));
    getset->push_back(PyGetSetDef{});
    auto* methods = new std::vector<PyMethodDef>(std::move(parts.methods));
    methods->push_back(PyMethodDef{});
    auto* qualified = new std::string("builtins." + std::string(parts.name));

    std::vector<PyType_Slot> slots;
    slots.push_back({Py_tp_dealloc, reinterpret_cast<void*>(parts.dealloc)});
    slots.push_back({Py_tp_new, reinterpret_cast<void*>(parts.constructor_entry ? parts.constructor_entry
                                                                                : &no_constructor)});
    slots.push_back({Py_tp_getset, getset->data()});
    slots.push_back({Py_tp_methods, methods->data()});
    if (parts.repr) slots.push_back({Py_tp_repr, reinterpret_cast<void*>(parts.repr)});
    if (parts.str) slots.push_back({Py_tp_str, reinterpret_cast<void*>(parts.str)});
    if (parts.compare) slots.push_back({Py_tp_richcompare, reinterpret_cast<void*>(parts.compare)});
    if (parts.unhashable) slots.push_back({Py_tp_hash, reinterpret_cast<void*>(&PyObject_HashNotImplemented)});
    if (parts.to_int) slots.push_back({Py_nb_int, reinterpret_cast<void*>(parts.to_int)});

    if (parts.signature.empty()) return type_from_spec(qualified->c_str(), parts.basicsize, slots, parts.doc);

    // The text signature heads the docstring, where __text_signature__ and
    // inspect.signature read it, while __doc__ shows the rest.
    const std::string signature_block = parts.signature + "\n--\n\n";
    Ref type = Ref::steal(type_from_spec(qualified->c_str(), parts.basicsize, slots, signature_block + parts.doc));
    if (!type) return nullptr;
    Ref text = Ref::steal(PyObject_GetAttrString(type.get(), "__text_signature__"));
    if (!text) return nullptr;
    if (text.get() != Py_None) return type.release();
    // Python 3.9 strips the signature from the docstring as it copies it into
    // the type, so the type would have none: given twice, one stays.
    return type_from_spec(qualified->c_str(), parts.basicsize, std::move(slots),
                          signature_block + signature_block + parts.doc);
}

}  // namespace kolvar::bind
