// Glyph drawing with GDI into 32-bit DIB sections. The images carry no alpha, so
// image lists draw them through their masks and the centre colour reads back exactly.
#include "glyphs.h"

#include <cmath>
#include "frame_options.h"

namespace standin {

namespace {

// Pixels of this colour become transparent through the mask (no native colour is it).
constexpr COLORREF kMaskKey = RGB(255, 0, 255);
// Native colours: hue steps, and saturation/brightness of normal and hot images.
constexpr int kHueStep = 67;
constexpr double kNormalSaturation = 0.75, kNormalValue = 0.80;
constexpr double kHotSaturation = 0.55, kHotValue = 1.0;
// Glyph shapes are laid out on a 16-unit grid and scaled to the image size.
constexpr double kGridUnits = 16.0;

COLORREF darker(COLORREF colour) {
    return RGB(GetRValue(colour) / 2, GetGValue(colour) / 2, GetBValue(colour) / 2);
}

struct Scaler {
    int x, y, size;
    int operator()(double units) const {
        return static_cast<int>(std::lround(units * size / kGridUnits));
    }
    POINT at(double ux, double uy) const { return POINT{x + (*this)(ux), y + (*this)(uy)}; }
};

void polygon(HDC dc, const Scaler& s, const double (*points)[2], int count) {
    POINT scaled[16];
    for (int i = 0; i < count && i < 16; ++i)
        scaled[i] = s.at(points[i][0], points[i][1]);
    Polygon(dc, scaled, count);
}

void ellipse(HDC dc, const Scaler& s, double l, double t, double r, double b) {
    Ellipse(dc, s.x + s(l), s.y + s(t), s.x + s(r), s.y + s(b));
}

void rectangle(HDC dc, const Scaler& s, double l, double t, double r, double b) {
    Rectangle(dc, s.x + s(l), s.y + s(t), s.x + s(r), s.y + s(b));
}

void line(HDC dc, const Scaler& s, double x0, double y0, double x1, double y1) {
    POINT from = s.at(x0, y0);
    POINT to = s.at(x1, y1);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

void drawShape(HDC dc, const Scaler& s, Glyph glyph) {
    static constexpr double back[][2] = {{1, 8},   {7, 2},  {7, 5}, {15, 5},
                                         {15, 11}, {7, 11}, {7, 14}};
    static constexpr double forward[][2] = {{15, 8}, {9, 2},  {9, 5}, {1, 5},
                                            {1, 11}, {9, 11}, {9, 14}};
    static constexpr double up[][2] = {{8, 1}, {14, 7}, {11, 7}, {11, 15}, {5, 15}, {5, 7}, {2, 7}};
    static constexpr double folder[][2] = {{1, 3}, {6, 3}, {7, 4}, {15, 4}, {15, 14}, {1, 14}};
    static constexpr double star[][2] = {{8, 1},  {10, 6},   {15, 6},  {11, 9.5}, {12.5, 15},
                                         {8, 12}, {3.5, 15}, {5, 9.5}, {1, 6},    {6, 6}};
    static constexpr double house[][2] = {{8, 1},  {15, 8}, {13, 8}, {13, 15},
                                          {3, 15}, {3, 8},  {1, 8}};
    static constexpr double stop[][2] = {{5, 1},   {11, 1}, {15, 5}, {15, 11},
                                         {11, 15}, {5, 15}, {1, 11}, {1, 5}};
    static constexpr double page[][2] = {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}};
    switch (glyph) {
    case Glyph::Back: polygon(dc, s, back, 7); break;
    case Glyph::Forward: polygon(dc, s, forward, 7); break;
    case Glyph::Up: polygon(dc, s, up, 7); break;
    case Glyph::Search:
        line(dc, s, 11, 11, 15, 15);
        ellipse(dc, s, 2, 2, 14, 14);
        break;
    case Glyph::Folders: polygon(dc, s, folder, 6); break;
    case Glyph::Views:
        rectangle(dc, s, 1, 1, 8, 8);
        rectangle(dc, s, 8, 1, 15, 8);
        rectangle(dc, s, 1, 8, 8, 15);
        rectangle(dc, s, 8, 8, 15, 15);
        break;
    case Glyph::History:
        ellipse(dc, s, 1, 1, 15, 15);
        line(dc, s, 8, 3, 8, 8);
        line(dc, s, 8, 8, 12, 10);
        break;
    case Glyph::Favorites: polygon(dc, s, star, 10); break;
    case Glyph::Home: polygon(dc, s, house, 7); break;
    case Glyph::Refresh:
        ellipse(dc, s, 1, 1, 15, 15);
        rectangle(dc, s, 11, 1, 15, 5);
        break;
    case Glyph::Stop: polygon(dc, s, stop, 8); break;
    case Glyph::Print:
        rectangle(dc, s, 4, 1, 12, 7);
        rectangle(dc, s, 1, 6, 15, 13);
        break;
    case Glyph::Document:
        polygon(dc, s, page, 5);
        line(dc, s, 5, 6, 11, 6);
        line(dc, s, 5, 9, 11, 9);
        line(dc, s, 5, 12, 11, 12);
        break;
    }
}

// A top-down 32-bit DIB section; bits receives its pixels.
HBITMAP createDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void addGlyph(HIMAGELIST list, int size, Glyph glyph, COLORREF fill) {
    void* bits = nullptr;
    HBITMAP bitmap = createDib(size, size, &bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH key = CreateSolidBrush(kMaskKey);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, key);
    DeleteObject(key);
    drawGlyph(dc, 0, 0, size, glyph, fill);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    ImageList_AddMasked(list, bitmap, kMaskKey);
    DeleteObject(bitmap);
}

} // namespace

COLORREF nativeColor(int index, bool hot) {
    // Hues 67 degrees apart (67 and 360 share no factor, so none repeats within 360
    // images); hot images are the same hue, lighter and fully bright, so no hot colour
    // can equal a normal one (their brightest channels differ).
    double hue = (index * kHueStep) % 360;
    double saturation = hot ? kHotSaturation : kNormalSaturation;
    double value = hot ? kHotValue : kNormalValue;
    double chroma = value * saturation;
    double sector = hue / 60.0;
    double x = chroma * (1.0 - std::fabs(std::fmod(sector, 2.0) - 1.0));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(sector)) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
    }
    double m = value - chroma;
    auto channel = [m](double c) { return static_cast<BYTE>(std::lround((c + m) * 255.0)); };
    return RGB(channel(r), channel(g), channel(b));
}

void drawGlyph(HDC dc, int x, int y, int size, Glyph glyph, COLORREF fill) {
    Scaler s{x, y, size};
    HPEN pen = CreatePen(PS_SOLID, 1, darker(fill));
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    drawShape(dc, s, glyph);
    // The centre block: what tests read back to know which image is shown.
    int half = size / 8 > 1 ? size / 8 : 1;
    RECT centre{x + size / 2 - half, y + size / 2 - half, x + size / 2 + half + 1,
                y + size / 2 + half + 1};
    FillRect(dc, &centre, brush);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

HIMAGELIST createNativeImageList(int size, int count, bool hot) {
    if (count > kMaxNativeImages) count = kMaxNativeImages;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 4);
    for (int i = 0; i < count; ++i)
        addGlyph(list, size, static_cast<Glyph>(i % kToolbarGlyphs), nativeColor(i, hot));
    return list;
}

HIMAGELIST createGlyphList(int size, const Glyph* glyphs, const COLORREF* fills, int count) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 4);
    for (int i = 0; i < count; ++i)
        addGlyph(list, size, glyphs[i], fills[i]);
    return list;
}

void drawLogo(HDC dc, const RECT& area) {
    static constexpr COLORREF panes[] = {RGB(230, 60, 20), RGB(80, 180, 40), RGB(30, 110, 220),
                                         RGB(250, 200, 20)};
    int side = (area.bottom - area.top) - 6;
    if (area.right - area.left - 6 < side) side = area.right - area.left - 6;
    if (side < 4) return;
    int left = area.left + (area.right - area.left - side) / 2;
    int top = area.top + (area.bottom - area.top - side) / 2;
    int half = side / 2;
    for (int pane = 0; pane < 4; ++pane) {
        RECT box{left + (pane % 2) * (half + 1), top + (pane / 2) * (half + 1),
                 left + (pane % 2) * (half + 1) + half, top + (pane / 2) * (half + 1) + half};
        HBRUSH brush = CreateSolidBrush(panes[pane]);
        FillRect(dc, &box, brush);
        DeleteObject(brush);
    }
}

} // namespace standin
