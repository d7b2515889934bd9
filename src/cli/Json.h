#pragma once
// A small writer of one-line JSON objects in UTF-8.
#include <optional>
#include <string>
#include <vector>

namespace ph {
class Size;
}

namespace cli {

class CJsonObject {
public:
    CJsonObject& Add(const char* key, const std::wstring& text);
    CJsonObject& Add(const char* key, long long number);
    // A number that is not finite, or none, is written as null.
    CJsonObject& Add(const char* key, double number);
    CJsonObject& Add(const char* key, const std::optional<double>& number);
    CJsonObject& Add(const char* key, const std::vector<double>& numbers);
    CJsonObject& Add(const char* key, bool value);
    CJsonObject& AddNull(const char* key);
    CJsonObject& Add(const char* key, const CJsonObject& object);
    // A value already written as JSON (an array of arrays or of texts).
    CJsonObject& AddJson(const char* key, const std::string& json);
    std::string Text() const { return "{" + m_body + "}"; }

private:
    void Key(const char* key);
    std::string m_body;
};

// A number as JSON writes it: the shortest text that reads back as the same double, "null" when it
// is not finite.
std::string JsonNumber(double number);

// A physical quantity as {"value", "unit", "text"}, the text as the windows print it (three
// significant digits with the unit).
CJsonObject QuantityJson(ph::Size size);

// A JSON string literal of a text, quotes included.
std::string JsonString(const std::wstring& text);

} // namespace cli
