#include "engine/platform/SharedLibrary.h"

#include <gtest/gtest.h>

namespace kivo::platform {
namespace {

TEST(SharedLibrary, FindsEntryPointsAndExplainsFailures) {
  SharedLibrary library;
  EXPECT_FALSE(library.Load("/nonexistent/libnothing.so"));
  EXPECT_NE(library.LastError().find("/nonexistent/libnothing.so"), std::string::npos);

  ASSERT_TRUE(library.Load("libm.so.6")) << library.LastError();
  using Cos = double (*)(double);
  const auto cosine = reinterpret_cast<Cos>(library.Symbol("cos"));
  ASSERT_NE(cosine, nullptr) << library.LastError();
  EXPECT_EQ(cosine(0.0), 1.0);

  EXPECT_EQ(library.Symbol("no_such_entry_point"), nullptr);
  EXPECT_NE(library.LastError().find("no_such_entry_point"), std::string::npos);
  EXPECT_TRUE(library.Unload());
  EXPECT_FALSE(library.IsLoaded());
}

}  // namespace
}  // namespace kivo::platform
