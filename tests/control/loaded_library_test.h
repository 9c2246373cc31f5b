// The real DLL loaded for a control suite. The shared block is put back as it was
// after each test, so what one test stores never becomes the next one's settings.
#pragma once

#include <gtest/gtest.h>
#include <string>

#include "control_test_util.h"
#include "library_under_test.h"

namespace control_test {

class LoadedLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library.load(&error)) << error;
        shared = library.shared;
        saved.take(shared);
    }
    void TearDown() override {
        if (library.uninstallHook != nullptr) library.uninstallHook();
        saved.putBack();
    }

    LibraryUnderTest library;
    SharedState* shared = nullptr;
    SavedBlock saved;
};

} // namespace control_test
