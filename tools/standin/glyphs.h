// The stand-in's native toolbar images: small drawings that look like shell glyphs
// (arrows, folder, magnifier...) whose centre pixel has a known, distinct colour.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace standin {

// Centre colour of native image `index` (0 <= index < kMaxNativeImages) of a normal
// or hot list. All of them differ from each other and from kProbeBackground.
COLORREF nativeColor(int index, bool hot);

// Shapes the glyphs take; the main toolbar cycles through the first kToolbarGlyphs.
enum class Glyph : int {
    Back,
    Forward,
    Up,
    Search,
    Folders,
    Views,
    History,
    Favorites,
    Home,
    Refresh,
    Stop,
    Print,
    Document, // for the list view
};
constexpr int kToolbarGlyphs = 12;

// Draws `glyph` in a size x size square at (x, y); the square's centre pixel and a
// small block around it are always `fill`.
void drawGlyph(HDC dc, int x, int y, int size, Glyph glyph, COLORREF fill);

// A new ILC_COLOR32 | ILC_MASK list of `count` native images of `size` pixels.
HIMAGELIST createNativeImageList(int size, int count, bool hot);

// A list of `count` glyphs with the given fills (for the list view's icons).
HIMAGELIST createGlyphList(int size, const Glyph* glyphs, const COLORREF* fills, int count);

// The shell's four-colour flag, scaled into `area` (the logo band paints it).
void drawLogo(HDC dc, const RECT& area);

} // namespace standin
