// Editing the typed line and recalling earlier ones.
#include "platform/line_editor.h"

#include <curses.h>

namespace orv {

bool isEnterKey(const TypedKey& key) {
    if (key.kind == KEY_CODE_YES) return key.code == KEY_ENTER;
    return key.code == '\r' || key.code == '\n';
}

bool isPrintableKey(const TypedKey& key) {
    return key.kind == OK && key.code >= 32 && key.code != 127 && !(key.code >= 0x80 && key.code < 0xA0);
}

void LineEditor::start() {
    text_.clear();
    draft_.clear();
    cursor_ = 0;
    scroll_ = 0;
    historyPos_ = history_.size();
}

bool LineEditor::apply(const TypedKey& key) {
    if (isEnterKey(key)) return false;
    if (isPrintableKey(key)) {
        text_.insert(cursor_++, 1, static_cast<wchar_t>(key.code));
        return true;
    }
    const bool named = key.kind == KEY_CODE_YES;  // a key curses decoded for us
    if ((named && key.code == KEY_BACKSPACE) || (!named && (key.code == 127 || key.code == 8))) {
        if (cursor_ > 0) text_.erase(--cursor_, 1);
    } else if (named && key.code == KEY_DC) {
        if (cursor_ < text_.size()) text_.erase(cursor_, 1);
    } else if (named && key.code == KEY_LEFT) {
        if (cursor_ > 0) --cursor_;
    } else if (named && key.code == KEY_RIGHT) {
        if (cursor_ < text_.size()) ++cursor_;
    } else if (named && key.code == KEY_HOME) {
        cursor_ = 0;
    } else if (named && key.code == KEY_END) {
        cursor_ = text_.size();
    } else if (named && key.code == KEY_UP) {
        recallHistory(-1);
    } else if (named && key.code == KEY_DOWN) {
        recallHistory(+1);
    }
    return true;
}

std::wstring LineEditor::finish() {
    std::wstring line = std::move(text_);
    start();
    if (!line.empty() && (history_.empty() || history_.back() != line)) history_.push_back(line);
    historyPos_ = history_.size();
    return line;
}

std::size_t LineEditor::scrollFor(std::size_t width) {
    if (cursor_ < scroll_) scroll_ = cursor_;
    if (cursor_ >= scroll_ + width) scroll_ = cursor_ - width + 1;
    return scroll_;
}

// Up goes back to earlier lines, down forward again and finally to the
// line that was being typed, as in a shell.
void LineEditor::recallHistory(int step) {
    if (step < 0 && historyPos_ == 0) return;
    if (step > 0 && historyPos_ >= history_.size()) return;
    if (historyPos_ == history_.size()) draft_ = text_;
    historyPos_ = step < 0 ? historyPos_ - 1 : historyPos_ + 1;
    text_ = historyPos_ == history_.size() ? draft_ : history_[historyPos_];
    cursor_ = text_.size();
}

}  // namespace orv
