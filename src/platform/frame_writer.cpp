// One write per frame: curses' descriptor is pointed at a memory file while
// it draws, and back at the terminal for everything else (its terminal
// modes, its size, leaving at the end).
#include "platform/frame_writer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "platform/terminal_guard.h"

namespace orv {

FrameWriter::FrameWriter(int ttyFd) : ttyFd_(ttyFd) {
    cursesFd_ = dup(ttyFd);
    if (cursesFd_ >= 0) cursesOut_ = fdopen(cursesFd_, "w");
    if (cursesOut_ == nullptr) {
        if (cursesFd_ >= 0) close(cursesFd_);
        cursesFd_ = -1;
        cursesOut_ = fdopen(dup(ttyFd), "w");
        return;
    }
    // Without a memory file curses simply writes straight through.
    frameFd_ = memfd_create("orvantis-frame", MFD_CLOEXEC);
}

FrameWriter::~FrameWriter() {
    if (collecting_) end();
    if (cursesOut_ != nullptr) fclose(cursesOut_);
    if (frameFd_ >= 0) close(frameFd_);
}

void FrameWriter::begin() {
    if (collecting_ || frameFd_ < 0 || cursesFd_ < 0) return;
    collecting_ = dup2(frameFd_, cursesFd_) >= 0;
}

void FrameWriter::end() {
    if (!collecting_) return;
    collecting_ = false;
    dup2(ttyFd_, cursesFd_);
    const off_t length = lseek(frameFd_, 0, SEEK_CUR);
    frame_.clear();
    if (synchronized_ && length > 0) frame_ += kBeginFrame;
    const std::size_t start = frame_.size();
    frame_.resize(start + static_cast<std::size_t>(std::max<off_t>(length, 0)));
    const ssize_t got = length > 0 ? pread(frameFd_, frame_.data() + start, static_cast<std::size_t>(length), 0) : 0;
    frame_.resize(start + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (ftruncate(frameFd_, 0) != 0 || lseek(frameFd_, 0, SEEK_SET) != 0) {
        close(frameFd_);  // a memory file that cannot be emptied is given up
        frameFd_ = -1;
    }
    if (got <= 0) return;  // nothing changed: nothing to send
    if (synchronized_) frame_ += kEndFrame;
    terminal_guard::writeAll(ttyFd_, frame_);
}

}  // namespace orv
