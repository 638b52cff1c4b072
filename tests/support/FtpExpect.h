#pragma once
// Checking the failure of a client call by the German text it carries.

#include <gtest/gtest.h>

#include <string>

#include "FtpError.h"

// Runs a call that must fail with an error of type E and returns the error's text. A call that
// succeeds fails the test and gives the empty text.
template <typename E = FtpError, typename F>
std::string ErrorText(F&& call) {
  try {
    call();
  } catch (const E& error) {
    return error.what();
  }
  ADD_FAILURE() << "the call did not fail";
  return {};
}
