// How a console cell looks in this terminal: the glyph for each code page
// 437 byte, and the curses colour pair and style for each Windows console
// attribute, with the fallbacks of terminals that have only 8 colours.
#pragma once

#include <array>

namespace orv {

class CellStyles {
public:
    // After curses has started: set up the colour pairs this terminal has.
    void setUp(bool unicode);
    // Put one cell into curses' screen.
    void put(int row, int col, unsigned char ch, unsigned char attr) const;
    void putGlyph(int row, int col, wchar_t glyph, unsigned char attr) const;

private:
    void setUpColours();
    void styleAttributes(bool sixteenColours, bool eightColours);

    std::array<wchar_t, 256> glyphs_{};
    std::array<short, 256> pairs_{};
    std::array<unsigned int, 256> styles_{};
    std::array<bool, 256> blanked_{};  // drawn as a blank: the text cannot show
};

}  // namespace orv
