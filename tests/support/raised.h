// What a call raised, for tests that expect one of the product's typed errors:
// compared with EXPECT_EQ at the call site, a wrong kind, a wrong message or
// no error at all is reported on the caller's line.
#pragma once
#include <string>
#include <utility>

#include "platform/errors.h"

namespace testing_support {

// "<kind>: <message>" of the product's error that call raised, "<no error>"
// when it returned. Any other exception passes on, failing the test.
template <typename Call>
std::string RaisedBy(Call&& call) {
  try {
    std::forward<Call>(call)();
  } catch (const platform::Exception& error) {
    return error.KindName() + (": " + error.Message());
  }
  return "<no error>";
}

}  // namespace testing_support
