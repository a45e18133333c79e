// The line being typed on the input row: insertion anywhere, backspace and
// delete, left/right, home/end, and the earlier lines on up/down as in a
// shell. Keys come as curses reads them; drawing is the console's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orv {

// One key as curses read it: wget_wch's return code and its value.
struct TypedKey {
    int kind = 0;
    unsigned int code = 0;
};

bool isEnterKey(const TypedKey& key);
bool isPrintableKey(const TypedKey& key);

class LineEditor {
public:
    void start();
    // False when the key ends the line (Enter).
    bool apply(const TypedKey& key);
    // The line is done: it joins the history (unless empty or a repeat).
    std::wstring finish();

    const std::wstring& text() const { return text_; }
    std::size_t cursor() const { return cursor_; }
    // The first character shown when only `width` columns are free,
    // keeping the cursor in view.
    std::size_t scrollFor(std::size_t width);

private:
    void recallHistory(int step);

    std::wstring text_;
    std::size_t cursor_ = 0;
    std::size_t scroll_ = 0;
    std::size_t historyPos_ = 0;
    std::wstring draft_;  // the unfinished line while browsing history
    std::vector<std::wstring> history_;
};

}  // namespace orv
