// A whole game played one typed line at a time on the game's own content,
// from the title screen down, keeping every frame written.
#pragma once

#include <sstream>
#include <string>

#include "core/text.h"
#include "screens/splash.h"
#include "support/test_world.h"
#include "world/tutorial.h"

namespace orv::test {

struct GameDriver {
    GameDataWithOwnSaves data;  // the game's content, with slots of this test's own
    TestWorld world;
    Game& g = world.game;
    int running = 1;
    Splash* title = new Splash(nullptr, &running);
    std::ostringstream frames;  // typewriter steps and transitions included
    // Most walks through the game are not about the lessons: each one is
    // taken away the moment it opens, before it is drawn, leaving the
    // screen under it exactly as a player who had met it before would see it.
    bool skipLessons = true;
    long linesTyped = 0;  // every line typed so far, answers at prompts included

    GameDriver() { world.console.printFramesTo(&frames, HeadlessConsole::FrameOutput::Every); }
    ~GameDriver() {
        if (running) destroyChain(title);
    }
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // One pass of the main loop with `line`, then the frame it leads to.
    std::string type(const std::string& line) {
        ++linesTyped;
        g.screen.clearFrame();
        title->drawCurrent();
        g.screen.render();
        title->updateCurrent(lowercase(line));
        while (skipLessons && dynamic_cast<Tutorial*>(current())) current()->closeState();
        g.screen.clearFrame();
        title->drawCurrent();
        g.screen.render();
        return world.console.frameText();
    }
    // A command that asks for an item number, and the number typed at the prompt.
    std::string typeThenAnswer(const std::string& line, const std::string& answer) {
        ++linesTyped;
        world.console.addLine(answer);
        return type(line);
    }
    std::string log() const { return frames.str(); }
    State* current() { return title->current(); }
    template <typename T>
    T* at() {
        return dynamic_cast<T*>(current());
    }
};

}  // namespace orv::test
