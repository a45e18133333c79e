// Every screen of the game is a State. States form a chain from the title
// screen down to the active screen; drawing and typed lines go to the
// innermost one.
//
// Ownership: a state owns the sub-state it opened, but not through a smart
// pointer, because a screen leaves the chain by destroying itself
// (`closeState`) while its own Update is still on the call stack. That is
// the one place in the game where an object deletes itself; nothing of the
// object may be touched after `closeState` returns.
#pragma once

#include <string>

namespace orv {

class State {
public:
    explicit State(State* parent = nullptr) : parent_(parent) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    virtual ~State() = default;

    virtual void Draw() = 0;
    virtual void Update(const std::string& command) = 0;

    void drawCurrent();
    void updateCurrent(const std::string& command);

    void setSubState(State* state) { subState_ = state; }
    void setParent(State* state) { parent_ = state; }
    State* subState() const { return subState_; }
    State* parent() const { return parent_; }

    // The innermost state of the chain below (and including) this one.
    State* current();

    void closeState();
    void closeAll();

    // Opens `state` (created with this state as its parent) as the active screen.
    template <typename T>
    T* open(T* state) {
        subState_ = state;
        return state;
    }

private:
    State* subState_ = nullptr;
    State* parent_ = nullptr;
};

// Destroys a whole chain from its root (end of a run or of a test).
void destroyChain(State* root);

}  // namespace orv
