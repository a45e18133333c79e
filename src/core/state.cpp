// The chain of screens.
#include "core/state.h"

namespace orv {

void State::drawCurrent() {
    if (subState_) subState_->drawCurrent();
    else Draw();
}

void State::updateCurrent(const std::string& command) {
    if (subState_) subState_->updateCurrent(command);
    else Update(command);
}

State* State::current() {
    State* state = this;
    while (state->subState_) state = state->subState_;
    return state;
}

void State::closeState() {
    if (parent_) {
        if (subState_) {
            subState_->parent_ = parent_;
            parent_->subState_ = subState_;
        } else {
            parent_->subState_ = nullptr;
        }
    }
    delete this;
}

void State::closeAll() {
    if (!parent_) return;
    parent_->closeAll();
    closeState();
}

void destroyChain(State* root) {
    while (root) {
        State* next = root->subState();
        delete root;
        root = next;
    }
}

}  // namespace orv
