#pragma once
// A small writer of one-line JSON objects in UTF-8.
#include <string>

namespace cli {

class CJsonObject {
public:
    CJsonObject& Add(const char* key, const std::wstring& text);
    CJsonObject& Add(const char* key, long long number);
    CJsonObject& Add(const char* key, double number);
    CJsonObject& Add(const char* key, const CJsonObject& object);
    std::string Text() const { return "{" + m_body + "}"; }

private:
    void Key(const char* key);
    std::string m_body;
};

// A JSON string literal of a text, quotes included.
std::string JsonString(const std::wstring& text);

} // namespace cli
