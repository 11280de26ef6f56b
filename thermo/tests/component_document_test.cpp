#include "db/component_document.hpp"
#include "db/component_table.hpp"
#include "db/embedded_document.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::thermo::db {
namespace {

std::string parse_error(const std::string& text)
{
    const auto parsed = parse_component_document(text);
    EXPECT_FALSE(parsed.has_value()) << text;
    return parsed ? std::string() : parsed.error();
}

TEST(ComponentDocument, EmbeddedTextHoldsTheTwentyFourCompounds)
{
    const auto parsed = parse_component_document(embedded_components_json());
    ASSERT_TRUE(parsed.has_value()) << parsed.error();
    EXPECT_EQ(parsed->size(), 24u);
    unsigned with_volume = 0;
    for (const auto& [name, c] : *parsed) {
        SCOPED_TRACE(name);
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(c.psat_coeffs.size(), 3u);
        EXPECT_EQ(c.cp_coeffs.size(), 5u);
        EXPECT_GT(c.mw, 0.0);
        EXPECT_GT(c.pc, 0.0);
        EXPECT_GT(c.zc, 0.0);
        EXPECT_GT(c.vc, 0.0);
        EXPECT_LT(c.tb, c.tc);
        EXPECT_GT(c.tb + c.psat_coeffs[2], 0.0);  // Antoine defined at the boiling point
        EXPECT_EQ(c.saturation_model, SaturationModel::Antoine);
        EXPECT_EQ(c.eos_params, (std::array<double, 4>{}));
        with_volume += c.liquid_volume.has_value();
    }
    EXPECT_EQ(with_volume, 19u);
}

class DuplicateField : public ::testing::TestWithParam<const char*> {};

TEST_P(DuplicateField, IsReportedByName)
{
    const std::string key = GetParam();
    const std::string value = key == "formula" || key == "cas" ? "\"x\""
                              : key == "psat_coeffs" || key == "cp_coeffs" ? "[1, 2]"
                                                                           : "1.5";
    const std::string entry = "\"" + key + "\": " + value;
    const std::string text = R"({"compounds": {"x": {)" + entry + R"(, "psat_source": "s", )" + entry + "}}}";
    EXPECT_EQ(parse_error(text), "duplicate field `" + key + "`");
}

INSTANTIATE_TEST_SUITE_P(ComponentDocument, DuplicateField,
                         ::testing::Values("formula", "cas", "mw", "tc", "pc", "omega", "zc", "vc", "tb",
                                           "psat_coeffs", "cp_coeffs", "liquid_volume"));

TEST(ComponentDocument, CompoundsGivenTwiceIsADuplicateField)
{
    EXPECT_EQ(parse_error(R"({"compounds": {}, "_meta": {}, "compounds": {}})"), "duplicate field `compounds`");
}

TEST(ComponentDocument, SkippedKeysMayRepeat)
{
    const auto parsed =
        parse_component_document(R"({"_meta": 1, "_meta": 2, "compounds": {"x": {"cp_source": "a", "cp_source": "b"}}})");
    ASSERT_TRUE(parsed.has_value()) << parsed.error();
}

TEST(ComponentDocument, MissingCompoundsField)
{
    EXPECT_EQ(parse_error("{}"), "missing field `compounds`");
    EXPECT_EQ(parse_error(R"({"_meta": {"compounds": {}}})"), "missing field `compounds`");
}

TEST(ComponentDocument, CompoundOfTheWrongTypeNamesTheRecord)
{
    for (const char* value : {"3", "\"water\"", "[1, 2]", "null", "true"}) {
        const std::string error = parse_error(std::string(R"({"compounds": {"water": )") + value + "}}");
        EXPECT_NE(error.find("expected struct RawComponent"), std::string::npos) << error;
        EXPECT_EQ(error.rfind("invalid type: ", 0), 0u) << error;
    }
}

TEST(ComponentDocument, FieldsOfTheWrongTypeAreFaults)
{
    EXPECT_EQ(parse_error(R"({"compounds": {"x": {"mw": "18"}}})"),
              "invalid type: string, expected f64 (compound `x`, field `mw`)");
    EXPECT_EQ(parse_error(R"({"compounds": {"x": {"formula": 18}}})"),
              "invalid type: integer, expected a string (compound `x`, field `formula`)");
    EXPECT_EQ(parse_error(R"({"compounds": {"x": {"psat_coeffs": [1, "2", 3]}}})"),
              "invalid type: string, expected f64 (compound `x`, field `psat_coeffs`)");
    EXPECT_EQ(parse_error(R"({"compounds": {"x": {"cp_coeffs": 4}}})"),
              "invalid type: integer, expected a sequence of numbers (compound `x`, field `cp_coeffs`)");
    EXPECT_NE(parse_error(R"({"compounds": [1]})").find("invalid type: sequence"), std::string::npos);
    EXPECT_NE(parse_error(R"([{"compounds": {}}])").find("invalid type: sequence"), std::string::npos);
}

TEST(ComponentDocument, MalformedTextIsAFault)
{
    for (const char* text : {"", "{", R"({"compounds": {"x": {"tc": 1,}}})", R"({"compounds": {}} trailing)",
                             "{\"compounds\": {\"\xff\": {}}}"}) {
        EXPECT_FALSE(parse_error(text).empty()) << text;
    }
}

TEST(ComponentDocument, CompoundNamedTwiceIsAFault)
{
    EXPECT_EQ(parse_error(R"({"compounds": {"x": {"tc": 1}, "x": {"tc": 2}}})"), "duplicate compound `x`");
}

TEST(ComponentDocument, EveryFieldIsOptionalAndUnknownKeysAreSkipped)
{
    const auto parsed = parse_component_document(R"({
        "_meta": {"nested": [1, {"compounds": {"y": {}}}]},
        "compounds": {
            "bare": {},
            "x": {"extra": {"deep": [1, {"tc": 999}], "tc": 998}, "tc": 500, "pc": 4000.5,
                  "psat_coeffs": [], "liquid_volume": null, "formula": "X", "cas": "1-2-3"}
        }
    })");
    ASSERT_TRUE(parsed.has_value()) << parsed.error();
    ASSERT_EQ(parsed->size(), 2u);

    const Component& bare = parsed->at("bare");
    EXPECT_EQ(bare.tc, 0.0);
    EXPECT_EQ(bare.omega, 0.0);
    EXPECT_TRUE(bare.psat_coeffs.empty());
    EXPECT_TRUE(bare.cp_coeffs.empty());
    EXPECT_FALSE(bare.liquid_volume.has_value());

    const Component& x = parsed->at("x");
    EXPECT_EQ(x.tc, 500.0);  // the integer, not the nested keys of a skipped value
    EXPECT_EQ(x.pc, 4000.5);
    EXPECT_FALSE(x.liquid_volume.has_value());
}

TEST(ComponentTable, AvailableNamesAreSortedByBytes)
{
    const auto table =
        build_component_table(R"({"compounds": {"b": {}, "a-b": {}, "B": {}, "a b": {}, "2x": {}, "ab": {}, "a": {}}})");
    ASSERT_TRUE(table.has_value()) << table.error();
    EXPECT_EQ(table->available, "2x, B, a, a b, a-b, ab, b");
}

}  // namespace
}  // namespace kolvar::thermo::db
