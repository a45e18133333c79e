// The main loop.
#include "app/run.h"

#include <string>

#include "app/game.h"
#include "core/text.h"
#include "screens/splash.h"

namespace orv {

int runGame(Game& g) {
    int running = 1;
    return runChain(g, new Splash(nullptr, &running), running);
}

int runChain(Game& g, State* root, int& running) {
    std::string line;
    while (running == 1 && !g.quitRequested) {
        g.screen.clearFrame();
        root->drawCurrent();
        g.screen.render();
        // The title is on screen before the sound card and its synthesiser
        // wake; its music starts before the first line is read.
        g.audio.openDeviceIfWanted();
        if (!g.input.readLine(line)) break;  // nobody is left to type: end cleanly
        root->updateCurrent(lowercase(line));
    }
    // "exit" has already destroyed the whole chain with its root.
    if (running == 1) destroyChain(root);
    g.screen.clearFrame();
    g.screen.clearMessages();
    return 0;
}

}  // namespace orv
