// Sends each rendered frame to the terminal in one write, so that no
// terminal ever shows half a frame. Curses writes as it goes (a dozen small
// writes for one mission frame); while a frame is drawn its descriptor
// points at a memory file instead, and the frame leaves whole at the end,
// bracketed by synchronized output where the terminal has it.
#pragma once

#include <cstdio>
#include <string>

namespace orv {

class FrameWriter {
public:
    // Begin a frame (DEC private mode 2026) and end it: the terminal shows
    // what came between at once.
    static constexpr const char* kBeginFrame = "\x1b[?2026h";
    static constexpr const char* kEndFrame = "\x1b[?2026l";

    explicit FrameWriter(int ttyFd);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // The stream to hand to curses: it writes to the terminal except while
    // a frame is being collected.
    FILE* cursesOutput() const { return cursesOut_; }

    void setSynchronized(bool on) { synchronized_ = on; }
    bool synchronized() const { return synchronized_; }

    // Collect what curses writes from now on...
    void begin();
    // ... and send it in one write.
    void end();

private:
    int ttyFd_;
    int frameFd_ = -1;  // the memory file a frame is collected in
    int cursesFd_ = -1;
    FILE* cursesOut_ = nullptr;
    bool collecting_ = false;
    bool synchronized_ = false;
    std::string frame_;
};

}  // namespace orv
