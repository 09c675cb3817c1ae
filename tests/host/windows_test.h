// Fixture for tests that run code against the stand-in Windows: starts each test from a fresh
// 32-bit Windows with nothing pending, and checks afterwards that the code left nothing behind.
#ifndef TESTS_HOST_WINDOWS_TEST_H_
#define TESTS_HOST_WINDOWS_TEST_H_

#include <string>
#include <vector>

#include "fake_windows.h"
#include "gtest/gtest.h"

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }

  void TearDown() override {
    EXPECT_EQ(0u, fake::Win().live_blocks.size()) << "heap blocks never released";
    EXPECT_EQ(0u, fake::Win().open_handles.size()) << "handles never closed";
    EXPECT_EQ(0, fake::Win().kernel32_references) << "kernel32 loads never released";
  }

  // The recorded calls that start with one of |prefixes|, in order.
  static std::vector<std::string> CallsOf(const std::vector<std::string>& prefixes) {
    std::vector<std::string> kept;
    for (const std::string& call : fake::Win().calls) {
      for (const std::string& prefix : prefixes) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
          kept.push_back(call);
          break;
        }
      }
    }
    return kept;
  }
};

#endif  // TESTS_HOST_WINDOWS_TEST_H_
