#include "framework/fwText.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace fw {

namespace {
// A byte that is not part of valid UTF-8 travels as a lone low surrogate, as Python's
// "surrogateescape" keeps it, so that a file name comes back to the same bytes.
constexpr std::uint32_t kEscapeBase = 0xDC00;

bool IsEscapedByte(std::uint32_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The length of the valid UTF-8 sequence at text[i], or 0 when it is not one (overlong forms,
// surrogates and code points past U+10FFFF included).
int SequenceLength(const std::string& text, std::size_t i, std::uint32_t& c) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = 0;
    std::uint32_t min = 0;
    if (b < 0x80) {
        c = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        c = b & 0x1F;
        extra = 1;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        c = b & 0x0F;
        extra = 2;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        c = b & 0x07;
        extra = 3;
        min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i <= static_cast<std::size_t>(extra))
        return 0;
    for (int k = 1; k <= extra; ++k) {
        const auto cb = static_cast<unsigned char>(text[i + k]);
        if ((cb & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (cb & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return extra + 1;
}
} // namespace

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<std::uint32_t>(wc);
        if (IsEscapedByte(c)) {
            out += static_cast<char>(c - kEscapeBase);
            continue;
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t c = 0;
        if (const int length = SequenceLength(text, i, c)) {
            out += static_cast<wchar_t>(c);
            i += static_cast<std::size_t>(length);
        } else {
            out += static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(text[i]));
            ++i;
        }
    }
    return out;
}

std::wstring Widen(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char ch : bytes)
        out += static_cast<wchar_t>(static_cast<unsigned char>(ch));
    return out;
}

bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

std::wstring PathExtension(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\");
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return std::wstring();
    return path.substr(dot);
}

} // namespace fw
