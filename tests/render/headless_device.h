// A headless software device for the toolkit tests, with the call recorder running, and the
// toolkit's globals back at their program-start values before each test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/d3d/call_recorder.h"

class ToolkitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // The recorded calls of one kind, in order.
  std::vector<d3drec::Call> CallsOf(d3drec::Call::Kind kind) const;
};
