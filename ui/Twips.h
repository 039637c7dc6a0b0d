#pragma once
// The design measures layouts in twips: 15 twips are one pixel at 96 dpi, that is one
// device-independent pixel. Qt's high-DPI scaling turns those into device pixels.

constexpr int twipsToPixels(int twips) {
    return (twips + (twips >= 0 ? 7 : -7)) / 15;
}
