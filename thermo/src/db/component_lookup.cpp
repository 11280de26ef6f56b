#include "thermo/component.hpp"

#include "db/component_table.hpp"
#include "db/name_key.hpp"
#include "kolvar/format.hpp"

namespace kolvar::thermo {

std::expected<Component, LookupError> find_component(std::string_view name)
{
    const db::ComponentTable& table = db::component_table();
    const auto found = table.by_name.find(db::lookup_key(name));
    if (found == table.by_name.end()) {
        return std::unexpected(LookupError{format::text("component ", format::Quoted{name},
                                                        ", not in the korrin database (available: ",
                                                        table.available, ")")});
    }
    return found->second;
}

std::string name_key(std::string_view name) { return db::lookup_key(name); }

std::expected<std::vector<Component>, LookupError> find_components(std::span<const std::string> names)
{
    std::vector<Component> components;
    components.reserve(names.size());
    for (const std::string& name : names) {
        auto component = find_component(name);
        if (!component) return std::unexpected(std::move(component.error()));
        components.push_back(std::move(*component));
    }
    return components;
}

}  // namespace kolvar::thermo
