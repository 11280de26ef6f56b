#include "db/component_document.hpp"

#include "db/component_fields.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kolvar::thermo::db {
namespace {

using json = nlohmann::json;

// One compound object as written in the document.
struct RawComponent {
    std::string formula;
    std::string cas;
    double mw = 0.0;
    double tc = 0.0;
    double pc = 0.0;
    double omega = 0.0;
    double zc = 0.0;
    double vc = 0.0;
    double tb = 0.0;
    std::vector<double> psat_coeffs;
    std::vector<double> cp_coeffs;
    std::optional<double> liquid_volume;
    std::optional<double> tm;
};

Component to_component(std::string name, RawComponent raw)
{
    Component c;
    c.name = std::move(name);
    c.psat_coeffs = std::move(raw.psat_coeffs);
    c.tc = raw.tc;
    c.pc = raw.pc;
    c.omega = raw.omega;
    c.tb = raw.tb;
    c.mw = raw.mw;
    c.zc = raw.zc;
    c.vc = raw.vc;
    c.cp_coeffs = std::move(raw.cp_coeffs);
    c.liquid_volume = raw.liquid_volume;
    c.tm = raw.tm;
    c.saturation_model = SaturationModel::Antoine;
    return c;
}

// Reads the document event by event, which sees every key as written: a
// DOM parse would silently keep only the last of two equal keys.
class DocumentReader final : public nlohmann::json_sax<json> {
public:
    explicit DocumentReader(std::vector<std::string>* order) : order_(order) {}

    std::expected<ComponentMap, std::string> finish(bool parsed)
    {
        if (!error_.empty()) return std::unexpected(std::move(error_));
        if (!parsed) return std::unexpected(std::string("malformed document"));
        return std::move(components_);
    }

    bool null() override { return scalar("null", std::nullopt, nullptr); }
    bool boolean(bool) override { return scalar("boolean", std::nullopt, nullptr); }
    bool number_integer(number_integer_t v) override
    {
        return scalar("integer", static_cast<double>(v), nullptr);
    }
    bool number_unsigned(number_unsigned_t v) override
    {
        return scalar("integer", static_cast<double>(v), nullptr);
    }
    bool number_float(number_float_t v, const string_t&) override { return scalar("floating point", v, nullptr); }
    bool string(string_t& v) override { return scalar("string", std::nullopt, &v); }
    bool binary(binary_t&) override { return scalar("binary", std::nullopt, nullptr); }

    bool start_object(std::size_t) override
    {
        if (skip_depth_ > 0) return ++skip_depth_, true;
        switch (expect_) {
        case Expect::Root: level_ = Level::Document; break;
        case Expect::Skip: skip_depth_ = 1; return true;
        case Expect::CompoundsValue: level_ = Level::Compounds; break;
        case Expect::CompoundValue:
            level_ = Level::Compound;
            raw_ = RawComponent{};
            seen_fields_ = {};
            break;
        case Expect::FieldValue:
        case Expect::ListElement:
        case Expect::Key: return wrong_type("map");
        }
        expect_ = Expect::Key;
        return true;
    }

    bool key(string_t& k) override
    {
        if (skip_depth_ > 0) return true;
        switch (level_) {
        case Level::Document:
            if (k != "compounds") {
                expect_ = Expect::Skip;
            } else if (seen_compounds_) {
                return fail("duplicate field `compounds`");
            } else {
                seen_compounds_ = true;
                expect_ = Expect::CompoundsValue;
            }
            return true;
        case Level::Compounds:
            if (components_.contains(k)) return fail("duplicate compound `" + k + "`");
            compound_name_ = k;
            expect_ = Expect::CompoundValue;
            return true;
        case Level::Compound: {
            const auto f = field_of(k);
            if (!f) {
                expect_ = Expect::Skip;
                return true;
            }
            auto& seen = seen_fields_[static_cast<std::size_t>(*f)];
            if (seen) return fail("duplicate field `" + k + "`");
            seen = true;
            field_ = *f;
            expect_ = Expect::FieldValue;
            return true;
        }
        case Level::None:
        case Level::List: break;
        }
        return fail("unexpected key");
    }

    bool end_object() override
    {
        if (skip_depth_ > 0) return end_skipped();
        switch (level_) {
        case Level::Compound:
            components_.emplace(compound_name_, to_component(compound_name_, std::move(raw_)));
            if (order_) order_->push_back(compound_name_);
            level_ = Level::Compounds;
            break;
        case Level::Compounds: level_ = Level::Document; break;
        case Level::Document:
            if (!seen_compounds_) return fail("missing field `compounds`");
            level_ = Level::None;
            break;
        case Level::None:
        case Level::List: return fail("unexpected end of object");
        }
        expect_ = Expect::Key;
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (skip_depth_ > 0) return ++skip_depth_, true;
        if (expect_ == Expect::Skip) {
            skip_depth_ = 1;
            return true;
        }
        if (expect_ == Expect::FieldValue && is_list_field(field_)) {
            list_target().clear();
            level_ = Level::List;
            expect_ = Expect::ListElement;
            return true;
        }
        return wrong_type("sequence");
    }

    bool end_array() override
    {
        if (skip_depth_ > 0) return end_skipped();
        level_ = Level::Compound;
        expect_ = Expect::Key;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override
    {
        return fail(ex.what());
    }

private:
    enum class Level { None, Document, Compounds, Compound, List };
    // What the next value stands for.
    enum class Expect { Root, Key, Skip, CompoundsValue, CompoundValue, FieldValue, ListElement };

    bool fail(std::string message)
    {
        if (error_.empty()) error_ = std::move(message);
        return false;
    }

    bool wrong_type(std::string_view found)
    {
        std::string expected;
        switch (expect_) {
        case Expect::Root: expected = "the component document, a map with the field `compounds`"; break;
        case Expect::CompoundsValue: expected = "a map from compound names to compounds"; break;
        case Expect::CompoundValue: expected = "struct RawComponent"; break;
        case Expect::FieldValue:
            expected = is_text_field(field_) ? "a string" : is_list_field(field_) ? "a sequence of numbers" : "f64";
            break;
        case Expect::ListElement: expected = "f64"; break;
        case Expect::Key:
        case Expect::Skip: expected = "a value"; break;
        }
        std::string message = "invalid type: " + std::string(found) + ", expected " + expected;
        if (expect_ == Expect::CompoundValue) message += " (compound `" + compound_name_ + "`)";
        if (expect_ == Expect::FieldValue || expect_ == Expect::ListElement) {
            message += " (compound `" + compound_name_ + "`, field `" +
                       std::string(field_name(field_)) + "`)";
        }
        return fail(std::move(message));
    }

    bool end_skipped()
    {
        if (--skip_depth_ == 0) expect_ = Expect::Key;
        return true;
    }

    std::vector<double>& list_target() { return field_ == Field::PsatCoeffs ? raw_.psat_coeffs : raw_.cp_coeffs; }

    // Every non-container value. `number` is set for numbers, `text` for strings.
    bool scalar(std::string_view kind, std::optional<double> number, string_t* text)
    {
        if (skip_depth_ > 0) return true;
        switch (expect_) {
        case Expect::Skip: expect_ = Expect::Key; return true;
        case Expect::ListElement:
            if (!number) return wrong_type(kind);
            list_target().push_back(*number);
            return true;
        case Expect::FieldValue: break;
        case Expect::Root:
        case Expect::Key:
        case Expect::CompoundsValue:
        case Expect::CompoundValue: return wrong_type(kind);
        }

        if (is_text_field(field_)) {
            if (!text) return wrong_type(kind);
            (field_ == Field::Formula ? raw_.formula : raw_.cas) = std::move(*text);
        } else if (is_optional_field(field_) && kind == "null") {
            optional_field().reset();  // an explicit null is an absent value
        } else if (!number || is_list_field(field_)) {
            return wrong_type(kind);
        } else if (is_optional_field(field_)) {
            optional_field() = *number;
        } else {
            number_field() = *number;
        }
        expect_ = Expect::Key;
        return true;
    }

    // The member behind an optional number field.
    std::optional<double>& optional_field() { return field_ == Field::Tm ? raw_.tm : raw_.liquid_volume; }

    // The member behind a plain number field.
    double& number_field()
    {
        switch (field_) {
        case Field::Mw: return raw_.mw;
        case Field::Tc: return raw_.tc;
        case Field::Pc: return raw_.pc;
        case Field::Omega: return raw_.omega;
        case Field::Zc: return raw_.zc;
        case Field::Vc: return raw_.vc;
        case Field::Tb: return raw_.tb;
        default: break;
        }
        return raw_.tb;  // not reached: called for the seven number fields only
    }

    Level level_ = Level::None;
    Expect expect_ = Expect::Root;
    std::size_t skip_depth_ = 0;  // > 0 inside a skipped object or array
    bool seen_compounds_ = false;
    std::array<bool, field_count> seen_fields_{};
    Field field_ = Field::Formula;
    std::string compound_name_;
    RawComponent raw_;
    ComponentMap components_;
    std::vector<std::string>* order_;
    std::string error_;
};

}  // namespace

std::expected<ComponentMap, std::string> parse_component_document(std::string_view text,
                                                                 std::vector<std::string>* order)
{
    if (order) order->clear();
    DocumentReader reader(order);
    const bool parsed = json::sax_parse(text, &reader);
    return reader.finish(parsed);
}

}  // namespace kolvar::thermo::db
