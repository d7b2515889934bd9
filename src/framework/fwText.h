#pragma once
// Conversions between the core's wide text, UTF-8 and the file formats' 8-bit text.
#include <string>

namespace fw {

// Paths are the system's bytes: FromUtf8 keeps each byte that is not valid UTF-8 (overlong forms and
// encoded surrogates included) as U+DC80..U+DCFF, and ToUtf8 gives those back as the single byte, so
// that every byte string comes back unchanged. Other lone surrogates become U+FFFD.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// Byte by byte, as the C locale widens: 0xB5 becomes U+00B5.
std::wstring Widen(const std::string& bytes);

// Equal without regard to case, as extensions are compared.
bool SameTextNoCase(const std::wstring& a, const std::wstring& b);
// The text from the last dot of the file name on ("." included); empty when the name has no dot.
std::wstring PathExtension(const std::wstring& path);

} // namespace fw
