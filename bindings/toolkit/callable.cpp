#include "toolkit/callable.hpp"

#include <deque>

namespace kolvar::bind {

// Docstrings handed to CPython must outlive every function object made from
// them; the module is never unloaded, so they live as long as the process.
const char* keep_text(std::string text)
{
    static std::deque<std::string> texts;
    return texts.emplace_back(std::move(text)).c_str();
}

PyMethodDef method_def(const char* name, PyCFunctionWithKeywords entry, int flags, std::string documented)
{
    PyMethodDef def{};
    def.ml_name = name;
    def.ml_meth = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)(void)>(entry));
    def.ml_flags = flags;
    def.ml_doc = keep_text(std::move(documented));
    return def;
}

}  // namespace kolvar::bind
