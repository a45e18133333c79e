// Glyphs and colours of the game's cells in a curses terminal.
#include "platform/cell_styles.h"

#include <curses.h>

#include "platform/cp437.h"

namespace orv {
namespace {

// Windows orders colour bits blue, green, red; curses red, green, blue.
short toCursesColour(int windowsColour) {
    int colour = (windowsColour & 2) | ((windowsColour & 1) << 2) | ((windowsColour & 4) >> 2);
    return static_cast<short>(colour | (windowsColour & 8));
}

// With 64 pairs, pair 0 is the terminal's own default colours (black on
// white in an xterm as it ships), so the game's white on black must have a
// pair of its own. Black on black takes slot 63, the slot of grey on grey,
// which the game never needs (see styleAttributes).
short eightColourPair(int fg, int bg) {
    if (fg == 0 && bg == 0) return 63;
    return static_cast<short>(bg * 8 + fg);
}

}  // namespace

void CellStyles::setUp(bool unicode) {
    for (int byte = 0; byte < 256; ++byte) {
        auto ch = static_cast<unsigned char>(byte);
        glyphs_[byte] = unicode ? static_cast<wchar_t>(cp437ToUnicode(ch)) : static_cast<wchar_t>(cp437ToAscii(ch));
    }
    setUpColours();
}

void CellStyles::setUpColours() {
    bool sixteenColours = false;
    bool eightColours = false;
    if (has_colors() && start_color() != ERR) {
        if (COLORS >= 16 && COLOR_PAIRS > 256) {
            sixteenColours = true;
            for (int bg = 0; bg < 16; ++bg)
                for (int fg = 0; fg < 16; ++fg)
                    init_pair(static_cast<short>(1 + bg * 16 + fg), toCursesColour(fg), toCursesColour(bg));
        } else if (COLORS >= 8 && COLOR_PAIRS >= 64) {
            eightColours = true;
            for (int bg = 0; bg < 8; ++bg)
                for (int fg = 0; fg < 8; ++fg)
                    if (short pair = eightColourPair(fg, bg); pair != 0 && !(fg == 7 && bg == 7))
                        init_pair(pair, toCursesColour(fg), toCursesColour(bg));
        }
    }
    styleAttributes(sixteenColours, eightColours);
}

void CellStyles::styleAttributes(bool sixteenColours, bool eightColours) {
    for (int attr = 0; attr < 256; ++attr) {
        int fg = attr & 15;
        int bg = attr >> 4;
        attr_t style = A_NORMAL;
        short pair = 0;
        bool blank = false;
        if (sixteenColours) {
            pair = static_cast<short>(1 + bg * 16 + fg);
        } else if (eightColours) {
            // Bright foregrounds are bold, as these terminals show them (dark
            // grey is bold black on the cell's own background, never a grey
            // block). Bright backgrounds cannot be shown and fall back to
            // their dark colour; a dark text on the bright form of its own
            // colour would then vanish, so only that background moves.
            const bool bold = (fg & 8) != 0;
            int fgBase = fg & 7;
            int bgBase = bg & 7;
            if (!bold && fg != bg && fgBase == bgBase) bgBase = fgBase == 0 ? 7 : 0;
            if (bold) style |= A_BOLD;
            if (fgBase == 7 && bgBase == 7) {
                // Grey on grey has no pair: white text there reads as black
                // on grey, and grey text (invisible anyway) as a blank.
                blank = !bold;
                style = A_NORMAL;
                fgBase = 0;
            }
            pair = eightColourPair(fgBase, bgBase);
        } else {
            if (fg & 8) style |= A_BOLD;
            if ((bg & 7) != 0 && (fg & 7) == 0) style |= A_REVERSE;
        }
        pairs_[attr] = pair;
        styles_[attr] = style;
        blanked_[attr] = blank;
    }
}

void CellStyles::put(int row, int col, unsigned char ch, unsigned char attr) const {
    putGlyph(row, col, blanked_[attr] ? L' ' : glyphs_[ch], attr);
}

void CellStyles::putGlyph(int row, int col, wchar_t glyph, unsigned char attr) const {
    wchar_t text[2] = {glyph, L'\0'};
    cchar_t cell;
    setcchar(&cell, text, styles_[attr], pairs_[attr], nullptr);
    mvwadd_wch(stdscr, row, col, &cell);
}

}  // namespace orv
