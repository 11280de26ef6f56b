// The process-wide component table, built from the embedded document on
// first use and read-only afterwards.
#pragma once

#include "db/component_document.hpp"

#include <string>
#include <vector>

namespace kolvar::thermo::db {

struct ComponentTable {
    ComponentMap by_name;
    // Every name, sorted by bytes and joined with ", ", for the miss message.
    std::string available;
    // The names in the order the document lists them.
    std::vector<std::string> document_order;
};

// Builds the table on the first call (concurrent first callers wait for the
// one build). The embedded text always parses; if it ever did not, the
// process stops with "the embedded components.json must parse: <reason>".
const ComponentTable& component_table();

// How many times the table has been built in this process: 0 before the first
// lookup, 1 after it, whatever the number of threads.
unsigned component_table_builds();

// The table's content from any document, as component_table() makes it.
std::expected<ComponentTable, std::string> build_component_table(std::string_view document);

}  // namespace kolvar::thermo::db
