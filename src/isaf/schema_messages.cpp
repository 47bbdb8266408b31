#include "isaf/schema_messages.h"

#include <libxml/xmlerror.h>

#include <vector>

#include "isaf/isaf_schema.h"

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return text;
}

// "{http://www.vmi.lt/cms/imas/isaf}Name" is just Name; other namespaces stay in view.
std::string shortName(std::string_view name) {
    const std::string prefix = "{" + std::string(kIsafNamespace) + "}";
    if (name.starts_with(prefix)) {
        name.remove_prefix(prefix.size());
    }
    return std::string(name);
}

// libxml2's messages begin "Element '{namespace}Name': ...".
std::string elementOf(std::string_view message) {
    constexpr std::string_view kLead = "Element '";
    if (!message.starts_with(kLead)) {
        return {};
    }
    message.remove_prefix(kLead.size());
    return shortName(message.substr(0, message.find('\'')));
}

// The names in "Expected is ( a, b )." or "Expected is one of ( a, b ).".
std::vector<std::string> expectedOf(std::string_view message) {
    std::vector<std::string> names;
    const size_t open = message.find("Expected is");
    if (open == std::string_view::npos) {
        return names;
    }
    const size_t first = message.find("( ", open);
    const size_t last = message.find(" )", open);
    if (first == std::string_view::npos || last == std::string_view::npos || last < first) {
        return names;
    }
    std::string_view list = message.substr(first + 2, last - first - 2);
    while (!list.empty()) {
        const size_t comma = list.find(", ");
        names.push_back(shortName(list.substr(0, comma)));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 2);
    }
    return names;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// "'SF', 'DS', ''" as "SF, DS, tuščia".
std::string valueList(std::string_view set) {
    std::vector<std::string> values;
    while (!set.empty()) {
        const size_t comma = set.find(", ");
        std::string_view value = set.substr(0, comma);
        if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
            value = value.substr(1, value.size() - 2);
        }
        values.emplace_back(value.empty() ? std::string_view("tuščia") : value);
        set = comma == std::string_view::npos ? std::string_view() : set.substr(comma + 2);
    }
    return joined(values);
}

// What a value of the type libxml2 names must look like, or nothing for a type it does not
// name plainly.
std::string_view expectedForm(std::string_view message) {
    constexpr std::string_view kLead = "atomic type '";
    const size_t at = message.find(kLead);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::string_view type = message.substr(at + kLead.size());
    const std::string_view name = type.substr(0, type.find('\''));
    if (name.find("dateTime") != std::string_view::npos) {
        return "data ir laikas, pvz. 2024-01-31T14:05:09";
    }
    if (name.find("date") != std::string_view::npos ||
        name.find("Date") != std::string_view::npos) {
        return "data, pvz. 2024-01-31";
    }
    if (name.find("monetary") != std::string_view::npos ||
        name.find("quantity") != std::string_view::npos ||
        name.find("decimal") != std::string_view::npos) {
        return "skaičius su tašku, pvz. 1234.50";
    }
    if (name.find("unsigned") != std::string_view::npos ||
        name.find("RegistrationNumber") != std::string_view::npos) {
        return "sveikasis skaičius be ženklo";
    }
    return {};
}

std::string quoted(std::string_view value) {
    return "„" + std::string(value) + "“";
}

}  // namespace

SchemaErrorText schemaErrorText(int code, std::string_view message, std::string_view value,
                                std::string_view limit) {
    message = trimmed(message);
    const std::string element = elementOf(message);
    const std::string own(message);
    if (element.empty()) {
        return {element, own};
    }
    const std::string of = "Elemento " + element + " reikšmė ";
    switch (code) {
        case XML_SCHEMAV_ELEMENT_CONTENT: {
            const auto expected = expectedOf(message);
            if (message.find("Missing child") != std::string_view::npos && !expected.empty()) {
                return {element,
                        expected.size() == 1
                            ? "Elemente " + element + " trūksta elemento " + expected.front() + "."
                            : "Elemente " + element +
                                  " trūksta vieno iš elementų: " + joined(expected) + "."};
            }
            if (message.find("not expected") != std::string_view::npos) {
                if (expected.empty()) {
                    return {element, "Elementas " + element + " čia nelauktas."};
                }
                if (expected.size() == 1) {
                    return {element, "Laukta elemento " + expected.front() + ", o rastas " +
                                         element + " (" + expected.front() + " trūksta arba " +
                                         element + " ne savo vietoje)."};
                }
                return {element, "Laukta vieno iš elementų " + joined(expected) + ", o rastas " +
                                     element + "."};
            }
            break;
        }
        case XML_SCHEMAV_CVC_PATTERN_VALID:
            return {element, of + quoted(value) + " neatitinka leistinos formos " +
                                 std::string(limit) + "."};
        case XML_SCHEMAV_CVC_ENUMERATION_VALID:
            return {element, of + quoted(value) +
                                 " neleistina; leistinos reikšmės: " + valueList(limit) + "."};
        case XML_SCHEMAV_CVC_MAXLENGTH_VALID:
            return {element, of + "per ilga: jos ilgis " + std::string(value) +
                                 ", o leidžiama iki " + std::string(limit) + " simbolių."};
        case XML_SCHEMAV_CVC_MINLENGTH_VALID:
            if (value == "0") {
                return {element, "Elementas " + element + " negali būti tuščias."};
            }
            return {element, of + "per trumpa: jos ilgis " + std::string(value) +
                                 ", o reikia bent " + std::string(limit) + " simbolių."};
        case XML_SCHEMAV_CVC_LENGTH_VALID:
            return {element, "Elemento " + element + " reikšmės ilgis " + std::string(value) +
                                 ", o turi būti " + std::string(limit) + "."};
        case XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_1: {
            const std::string_view form = expectedForm(message);
            if (!form.empty()) {
                return {element,
                        of + quoted(value) + " netinka: turi būti " + std::string(form) + "."};
            }
            break;
        }
        case XML_SCHEMAV_CVC_MININCLUSIVE_VALID:
            return {element, of + std::string(value) + " mažesnė už mažiausią leistiną " +
                                 std::string(limit) + "."};
        case XML_SCHEMAV_CVC_MAXINCLUSIVE_VALID:
            return {element, of + std::string(value) + " didesnė už didžiausią leistiną " +
                                 std::string(limit) + "."};
        case XML_SCHEMAV_CVC_FRACTIONDIGITS_VALID:
            return {element, of + std::string(value) +
                                 " turi per daug skaitmenų po taško (leidžiama iki " +
                                 std::string(limit) + ")."};
        case XML_SCHEMAV_CVC_TOTALDIGITS_VALID:
            return {element, of + std::string(value) + " turi per daug skaitmenų (leidžiama iki " +
                                 std::string(limit) + ")."};
        case XML_SCHEMAV_CVC_ELT_3_1:
            return {element, "Elementas " + element + " negali būti pažymėtas xsi:nil."};
        default:
            break;
    }
    return {element, own};
}
