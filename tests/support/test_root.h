// A root screen for tests that open screens by hand: it draws nothing,
// ignores typed lines, and destroys whatever was opened above it.
#pragma once

#include <string>

#include "core/state.h"

namespace orv::test {

struct TestRoot : State {
    TestRoot() : State(nullptr) {}
    ~TestRoot() override { destroyChain(subState()); }
    TestRoot(const TestRoot&) = delete;
    TestRoot& operator=(const TestRoot&) = delete;
    void Draw() override {}
    void Update(const std::string&) override {}
};

}  // namespace orv::test
