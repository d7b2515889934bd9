#include "cli/Json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>

#include "framework/fwText.h"
#include "model/phSize.h"

namespace cli {

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    std::wstring plain; // a run of characters written as they are
    for (wchar_t wc : text) {
        const auto c = static_cast<std::uint32_t>(wc);
        const char* escape = nullptr;
        switch (c) {
        case '"':
            escape = "\\\"";
            break;
        case '\\':
            escape = "\\\\";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\t':
            escape = "\\t";
            break;
        default:
            // A byte of a file name that is not UTF-8 (U+DC80..U+DCFF) is written as its escape: as the
            // byte itself it would make the line invalid UTF-8, and the escape still tells which byte.
            if (c >= 0x20 && !(c >= 0xDC80 && c <= 0xDCFF)) {
                plain += wc;
                continue;
            }
        }
        out += fw::ToUtf8(plain);
        plain.clear();
        if (escape) {
            out += escape;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out + fw::ToUtf8(plain) + "\"";
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

std::string JsonNumber(double number) {
    if (!std::isfinite(number))
        return "null"; // JSON has no infinities
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
    return std::string(text, end);
}

CJsonObject& CJsonObject::Add(const char* key, double number) {
    Key(key);
    m_body += JsonNumber(number);
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, const std::optional<double>& number) {
    Key(key);
    m_body += number ? JsonNumber(*number) : std::string("null");
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, const std::vector<double>& numbers) {
    Key(key);
    m_body += "[";
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        if (k)
            m_body += ", ";
        m_body += JsonNumber(numbers[k]);
    }
    m_body += "]";
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, bool value) {
    Key(key);
    m_body += value ? "true" : "false";
    return *this;
}

CJsonObject& CJsonObject::AddNull(const char* key) {
    Key(key);
    m_body += "null";
    return *this;
}

CJsonObject& CJsonObject::Add(const char* key, const CJsonObject& object) {
    Key(key);
    m_body += object.Text();
    return *this;
}

CJsonObject& CJsonObject::AddJson(const char* key, const std::string& json) {
    Key(key);
    m_body += json;
    return *this;
}

CJsonObject QuantityJson(ph::Size size) {
    CJsonObject object;
    object.Add("value", size.value()).Add("unit", std::wstring(size.unit()));
    object.Add("text", std::wstring(size.str(3)));
    return object;
}

} // namespace cli
