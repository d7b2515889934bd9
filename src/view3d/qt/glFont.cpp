#include "view3d/qt/glFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <map>
#include <qopengl.h>
#include <unordered_map>
#include <utility>

#include "view3d/qt/glPixels.h"

namespace gl {

namespace {

// Points become pixels at 96 dots per inch, whatever the screen says, so that the tables (shared by
// every view) hold one value per character.
constexpr int kDotsPerMeter = 3780;

struct CFontFace {
    const char* family;
    double screenPoints;
    double printerPoints;
};

// The Windows faces are not here. DejaVu Sans stands for the text face; its condensed cut stands for
// the narrow face of the symbols, as the narrow sibling of the same humanist design.
CFontFace Face(FontKind kind) {
    return kind == FontKind::Text ? CFontFace{"DejaVu Sans", 8.0, 24.0}
                                  : CFontFace{"DejaVu Sans Condensed", 8.3, 24.9};
}

// Advances in device pixels, by printer or screen and the pixel ratio the glyphs were rasterised at.
using CTable = std::unordered_map<char32_t, int>;
std::map<std::pair<bool, double>, CTable>& Tables() {
    static std::map<std::pair<bool, double>, CTable> tables;
    return tables;
}
CTable& Table(bool printer, double ratio) {
    return Tables()[{printer, ratio}];
}

// The ratio the screen (0) and printer (1) fonts were last made for.
double& LastRatio(bool printer) {
    static double last[2] = {1.0, 1.0};
    return last[printer ? 1 : 0];
}

// The table to measure with now: the present ratio's, else (text measured outside a paint) the one
// of the ratio the fonts were last made for; with that ratio, to turn its advances into logical pixels.
std::pair<const CTable*, double> Measuring(bool printer) {
    const auto& tables = Tables();
    const auto present = tables.find({printer, PixelRatio()});
    if (present != tables.end() && !present->second.empty())
        return {&present->second, PixelRatio()};
    const auto last = tables.find({printer, LastRatio(printer)});
    static const CTable none;
    return {last == tables.end() ? &none : &last->second, LastRatio(printer)};
}

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::transparent);
    return image;
}

// Compiles one glyph into its list: its ink as a bitmap placed around the pen position, then the advance.
void CompileGlyph(const QFont& font, const QFontMetricsF& metrics, char32_t c, int advance) {
    const QString text = QString::fromUcs4(&c, 1);
    const QRectF ink = metrics.boundingRect(text);
    // One pixel of margin keeps antialiasing-free edges that round outward.
    const int left = static_cast<int>(std::floor(ink.left())) - 1;
    const int top = static_cast<int>(std::floor(ink.top())) - 1;
    const int right = static_cast<int>(std::ceil(ink.right())) + 1;
    const int bottom = static_cast<int>(std::ceil(ink.bottom())) + 1;
    // A blank glyph (the space) still gets one clear pixel: some drivers refuse an empty bitmap in a list.
    const int width = ink.isEmpty() ? 1 : right - left;
    const int height = ink.isEmpty() ? 1 : bottom - top;
    const int stride = (width + 7) / 8;
    std::vector<GLubyte> bits(static_cast<std::size_t>(stride * height), 0);
    if (!ink.isEmpty()) {
        QImage image = Canvas(width, height);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(-left, -top), text);
        painter.end();
        // Rows bottom-up, most significant bit leftmost.
        for (int y = 0; y < height; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(height - 1 - y));
            for (int x = 0; x < width; ++x)
                if (qAlpha(line[x]) >= 128)
                    bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                        static_cast<GLubyte>(0x80 >> (x % 8));
        }
    }
    glNewList(kFontListBase + static_cast<GLuint>(c), GL_COMPILE);
    // The origin is the pen position: -left pixels in from the bitmap's left, bottom pixels up from its base.
    glBitmap(width, height, static_cast<GLfloat>(-left), static_cast<GLfloat>(bottom),
             static_cast<GLfloat>(advance), 0.0f, bits.data());
    glEndList();
}

} // namespace

const std::vector<char32_t>& FontCharacters(FontKind kind) {
    static const std::vector<char32_t> text = [] {
        std::vector<char32_t> codes;
        for (char32_t c = 32; c <= 122; ++c)
            codes.push_back(c);
        codes.push_back(176);
        codes.push_back(181);
        return codes;
    }();
    static const std::vector<char32_t> symbol = {197, 8486, 8710};
    return kind == FontKind::Text ? text : symbol;
}

bool BuildFontLists(FontKind kind, bool printer, double ratio) {
    const CFontFace face = Face(kind);
    QFont font(QString::fromLatin1(face.family));
    font.setPointSizeF((printer ? face.printerPoints : face.screenPoints) * ratio);
    // Bitmaps have one bit a pixel: grey edges would only be thresholded away.
    font.setStyleStrategy(QFont::NoAntialias);
    const QImage device = Canvas(1, 1);
    const QFontMetricsF metrics(font, &device);

    while (glGetError() != GL_NO_ERROR) {
    }
    // Lists capture the pixels as unpacked now: tightly packed rows.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    CTable& table = Table(printer, ratio);
    LastRatio(printer) = ratio;
    for (const char32_t c : FontCharacters(kind)) {
        const int advance =
            static_cast<int>(std::lround(metrics.horizontalAdvance(QString::fromUcs4(&c, 1))));
        table[c] = advance;
        CompileGlyph(font, metrics, c, advance);
    }
    glPopClientAttrib();
    return glGetError() == GL_NO_ERROR && glIsList(kFontListBase + FontCharacters(kind).back()) == GL_TRUE;
}

int CharWidth(char32_t c, bool printer) {
    const CTable& table = *Measuring(printer).first;
    const auto it = table.find(c);
    return it == table.end() ? 0 : it->second;
}

float TextWidth(const std::wstring& text, bool printer) {
    const auto [table, ratio] = Measuring(printer);
    int width = 0;
    for (const wchar_t c : text) {
        const auto it = table->find(static_cast<char32_t>(c));
        width += it == table->end() ? 0 : it->second;
    }
    return static_cast<float>(width / ratio);
}

void CallText(const std::wstring& text) {
    std::vector<GLushort> codes;
    codes.reserve(text.size());
    for (const wchar_t c : text)
        if (static_cast<char32_t>(c) <= 0xFFFF)
            codes.push_back(static_cast<GLushort>(c));
    if (codes.empty())
        return;
    glPushAttrib(GL_LIST_BIT);
    glListBase(kFontListBase);
    glCallLists(static_cast<GLsizei>(codes.size()), GL_UNSIGNED_SHORT, codes.data());
    glPopAttrib();
}

} // namespace gl
