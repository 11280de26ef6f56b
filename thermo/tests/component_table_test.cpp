#include "thermo/component.hpp"

#include "db/component_table.hpp"
#include "db/name_key.hpp"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kolvar::thermo {
namespace {

const std::string available =
    "2-propanol, acetone, benzene, carbon dioxide, chloroform, cyclohexane, ethane, ethanol, hydrogen sulfide, "
    "isobutane, isopentane, methane, methanol, methylcyclohexane, n-butane, n-decane, n-heptane, n-hexane, "
    "n-nonane, n-octane, n-pentane, propane, toluene, water";

std::string miss_message(const std::string& quoted_name)
{
    return "component " + quoted_name + ", not in the korrin database (available: " + available + ")";
}

// Runs first in this file so that, in a process of its own, the threads race
// for the first lookup; however the tests are run, the table is built once.
TEST(ComponentTable, ConcurrentFirstLookupsBuildOneTable)
{
    std::vector<const db::ComponentTable*> seen(8);
    std::vector<std::string> names(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&, i] {
                auto water = find_component("water");
                names[i] = water ? water->name : water.error().text();
                seen[i] = &db::component_table();
            });
        }
    }
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], seen[0]);
        EXPECT_EQ(names[i], "water");
    }
    EXPECT_EQ(db::component_table_builds(), 1u);
}

TEST(ComponentTable, NamesAreTrimmedAndLowerCased)
{
    for (const char* name : {"water", "WATER", "  Water\t", "\u00A0water\u3000", "\u2028WaTeR\u0085\u200A\v\f\r\n"}) {
        const auto found = find_component(name);
        ASSERT_TRUE(found.has_value()) << found.error().text();
        EXPECT_EQ(found->name, "water");
    }
    const auto co2 = find_component("Carbon Dioxide");
    ASSERT_TRUE(co2.has_value());
    EXPECT_EQ(co2->name, "carbon dioxide");
}

TEST(ComponentTable, OnlyTheTableKeysMatch)
{
    for (const char* name : {"carbon  dioxide", "h2o", "H2O", "7732-18-5", "wat", "water\u200B", "water2", "n butane"}) {
        const auto found = find_component(name);
        EXPECT_FALSE(found.has_value()) << name;
    }
}

TEST(ComponentTable, MissMessageQuotesTheNameAsGiven)
{
    const auto benzen = find_component("benzen");
    ASSERT_FALSE(benzen.has_value());
    EXPECT_EQ(benzen.error().text(), miss_message("\"benzen\""));

    EXPECT_EQ(find_component("").error().text(), miss_message("\"\""));
    EXPECT_EQ(find_component("   ").error().text(), miss_message("\"   \""));
    EXPECT_EQ(find_component("  Ben\"zen\\\t").error().text(), miss_message("\"  Ben\\\"zen\\\\\\t\""));
}

TEST(ComponentTable, RecordsAreCopiesOfTheDocumentValues)
{
    const auto methane = find_component("methane");
    ASSERT_TRUE(methane.has_value());
    EXPECT_FALSE(methane->liquid_volume.has_value());

    const auto butane = find_component("n-butane");
    ASSERT_TRUE(butane.has_value());
    ASSERT_TRUE(butane->liquid_volume.has_value());
    EXPECT_EQ(*butane->liquid_volume, 100.4);

    auto water = find_component("water");
    ASSERT_TRUE(water.has_value());
    EXPECT_EQ(water->tc, 647.096);
    EXPECT_EQ(water->pc, 22064.0);
    EXPECT_EQ(water->psat_coeffs, (std::vector<double>{5.320389, 3304.817491, -64.848}));
    water->tc = 0.0;  // a copy: the table is untouched
    EXPECT_EQ(find_component("water")->tc, 647.096);
}

TEST(ComponentTable, ListsKeepTheirOrderAndStopAtTheFirstMiss)
{
    const std::vector<std::string> names = {"Methanol", "water", "methanol"};
    const auto found = find_components(names);
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 3u);
    EXPECT_EQ((*found)[0].name, "methanol");
    EXPECT_EQ((*found)[1].name, "water");
    EXPECT_EQ((*found)[2].name, "methanol");

    const std::vector<std::string> bad = {"water", "benzen", "toluol"};
    const auto failed = find_components(bad);
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().text(), miss_message("\"benzen\""));
}

TEST(LookupKey, TrimsEveryUnicodeWhiteSpace)
{
    const char* spaces[] = {"\t", "\n", "\v", "\f", "\r", " ", "\u0085", "\u00A0", "\u1680", "\u2000", "\u2005",
                            "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"};
    for (const char* s : spaces) {
        EXPECT_EQ(db::lookup_key(std::string(s) + "a b" + s), "a b") << s;
    }
    EXPECT_EQ(db::lookup_key("\u200Ba\u180E"), "\u200Ba\u180E");  // not White_Space
    EXPECT_EQ(db::lookup_key(" \u3000 "), "");
}

TEST(LookupKey, FullLowerCaseMapping)
{
    EXPECT_EQ(db::lookup_key("N-BUTANE"), "n-butane");
    EXPECT_EQ(db::lookup_key("ÀÉÎÕÜÞ×"), "àéîõüþ×");
    EXPECT_EQ(db::lookup_key("ĀĲŁŸŽ"), "āĳłÿž");
    EXPECT_EQ(db::lookup_key("İ"), "i\u0307");
    EXPECT_EQ(db::lookup_key("ΆΈΏΑΩ"), "άέώαω");
    EXPECT_EQ(db::lookup_key("ЁЖЯѢ"), "ёжяѣ");
    // Capital sigma ends a word only after a letter and before none.
    EXPECT_EQ(db::lookup_key("ΟΔΥΣΣΕΥΣ"), "οδυσσευς");
    EXPECT_EQ(db::lookup_key("ΣΑΣ ΣΑΣ."), "σας σας.");
    EXPECT_EQ(db::lookup_key("Σ"), "σ");
    EXPECT_EQ(db::lookup_key("ΑΣ'Α"), "ασ'α");
    // Bytes that are not UTF-8 stay as they are.
    EXPECT_EQ(db::lookup_key(" \xff\xc3 "), "\xff\xc3");
}

}  // namespace
}  // namespace kolvar::thermo
