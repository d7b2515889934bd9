#pragma once
// Bitmap fonts as display lists: the list that draws character c is kFontListBase + c, so that text is
// drawn by calling the lists of its 16-bit character codes with that list base. Each character's advance
// goes into a width table, one for the screen fonts and one for the printer fonts, shared by all views.
#include <string>
#include <vector>

namespace gl {

constexpr unsigned kFontListBase = 1000;

enum class FontKind {
    Text,  // space to "z", the degree and micro signs
    Symbol // the Angstrom, ohm and increment signs
};

// The character codes a font gives lists for.
const std::vector<char32_t>& FontCharacters(FontKind kind);

// Rasterises the font's characters, for a screen of the given device pixel ratio, into bitmap lists of
// the current context and records their advances in the screen or printer table of that ratio. True
// when the last list was built.
bool BuildFontLists(FontKind kind, bool printer, double ratio = 1.0);

// The advance in device pixels of a character in the table of the present pixel ratio (glPixels.h),
// 0 for one that no font of the table has.
int CharWidth(char32_t c, bool printer);
// The sum of the advances of the text's characters, in logical pixels.
float TextWidth(const std::wstring& text, bool printer);

// Draws the text at the current raster position with the font lists of the current context.
void CallText(const std::wstring& text);

} // namespace gl
