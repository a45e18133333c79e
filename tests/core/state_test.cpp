// The chain of screens: opening, closing in the middle, closing all.
#include <gtest/gtest.h>

#include <vector>

#include "core/state.h"

namespace orv {
namespace {

struct Probe : State {
    Probe(State* parent, std::vector<std::string>& log, std::string label)
        : State(parent), log_(log), label_(std::move(label)) {}
    ~Probe() override { log_.push_back("destroyed " + label_); }
    void Draw() override { log_.push_back("draw " + label_); }
    void Update(const std::string& command) override {
        log_.push_back(label_ + " got " + command);
        if (command == "close") closeState();
        if (command == "all") closeAll();
    }
    std::vector<std::string>& log_;
    std::string label_;
};

struct Chain {
    std::vector<std::string> log;
    Probe* root = new Probe(nullptr, log, "root");
    Probe* open(State* from, const std::string& label) {
        auto* next = new Probe(from, log, label);
        from->setSubState(next);
        return next;
    }
    ~Chain() { destroyChain(root); }
};

TEST(StateChain, DrawAndUpdateReachTheInnermostState) {
    Chain c;
    Probe* first = c.open(c.root, "first");
    c.open(first, "second");
    c.root->drawCurrent();
    c.root->updateCurrent("hello");
    EXPECT_EQ(c.log, (std::vector<std::string>{"draw second", "second got hello"}));
}

TEST(StateChain, ClosingTheMiddleHandsItsChildToItsParent) {
    Chain c;
    Probe* first = c.open(c.root, "first");
    Probe* middle = c.open(first, "middle");
    Probe* last = c.open(middle, "last");
    middle->closeState();
    EXPECT_EQ(first->subState(), last);
    EXPECT_EQ(last->parent(), first);
    EXPECT_EQ(c.log.back(), "destroyed middle");
    // Closing the innermost makes its parent active on the next pass.
    c.root->updateCurrent("close");
    EXPECT_EQ(first->subState(), nullptr);
    c.root->drawCurrent();
    EXPECT_EQ(c.log.back(), "draw first");
}

TEST(StateChain, CloseAllLeavesOnlyTheRoot) {
    Chain c;
    Probe* a = c.open(c.root, "a");
    Probe* b = c.open(a, "b");
    c.open(b, "c");
    c.root->updateCurrent("all");
    EXPECT_EQ(c.root->subState(), nullptr);
    EXPECT_EQ(std::count_if(c.log.begin(), c.log.end(),
                            [](const std::string& s) { return s.rfind("destroyed", 0) == 0; }),
              3);
    c.root->closeAll();  // on the root: nothing happens
    c.root->drawCurrent();
    EXPECT_EQ(c.log.back(), "draw root");
}

}  // namespace
}  // namespace orv
