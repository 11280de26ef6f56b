#include "db/component_table.hpp"

#include "db/embedded_document.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kolvar::thermo::db {
namespace {

std::atomic<unsigned> builds{0};

ComponentTable build_embedded_table()
{
    builds.fetch_add(1, std::memory_order_relaxed);
    auto table = build_component_table(embedded_components_json());
    if (!table) {
        // The text is part of the program; a failure here means the build
        // embedded a damaged document, not that a caller did anything wrong.
        std::fprintf(stderr, "the embedded components.json must parse: %s\n", table.error().c_str());
        std::abort();
    }
    return std::move(*table);
}

}  // namespace

std::expected<ComponentTable, std::string> build_component_table(std::string_view document)
{
    std::vector<std::string> order;
    auto components = parse_component_document(document, &order);
    if (!components) return std::unexpected(std::move(components.error()));

    std::vector<std::string_view> names;
    names.reserve(components->size());
    for (const auto& [name, component] : *components) names.push_back(name);
    // std::string_view compares as unsigned bytes (char_traits<char>::lt).
    std::sort(names.begin(), names.end());

    ComponentTable table;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) table.available += ", ";
        table.available += names[i];
    }
    table.by_name = std::move(*components);
    table.document_order = std::move(order);
    return table;
}

const ComponentTable& component_table()
{
    // A function-local static is initialised exactly once; concurrent first
    // callers block until it is ready.
    static const ComponentTable table = build_embedded_table();
    return table;
}

unsigned component_table_builds() { return builds.load(std::memory_order_relaxed); }

}  // namespace kolvar::thermo::db
