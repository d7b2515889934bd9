#include "cli/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

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
    // The shortest of 15 to 17 digits that reads back as the same double, as "%.*g" writes it in the
    // C number format whatever the locale.
    char text[32];
    char* end = text;
    for (int digits = 15; digits <= 17; ++digits) {
        end = std::to_chars(std::begin(text), std::end(text), number, std::chars_format::general, digits).ptr;
        double back = 0.0;
        std::from_chars(text, end, back);
        if (back == number)
            break;
    }
    m_body.append(text, end);
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, const CJsonObject& object) {
    Key(key);
    m_body += object.Text();
    return *this;
}

} // namespace cli
