#include "cli/Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "framework/fwText.h"

namespace cli {

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (char c : fw::ToUtf8(text)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += esc;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void CJsonObject::Key(const char* key) {
    if (!m_body.empty())
        m_body += ", ";
    m_body += JsonString(fw::Widen(key));
    m_body += ": ";
}

CJsonObject& CJsonObject::Add(const char* key, const std::wstring& text) {
    Key(key);
    m_body += JsonString(text);
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, long long number) {
    Key(key);
    m_body += std::to_string(number);
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, double number) {
    Key(key);
    if (!std::isfinite(number)) {
        m_body += "null"; // JSON has no infinities
        return *this;
    }
    // The shortest of 15 to 17 digits that reads back as the same double.
    char text[32];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, number);
        if (std::strtod(text, nullptr) == number)
            break;
    }
    m_body += text;
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, const CJsonObject& object) {
    Key(key);
    m_body += object.Text();
    return *this;
}

} // namespace cli
