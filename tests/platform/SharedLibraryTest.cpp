#include "engine/platform/SharedLibrary.h"

#include <gtest/gtest.h>

namespace kivo::platform {
namespace {

// A library of the system's own that exports cos().
#ifdef _WIN32
constexpr char kMathLibrary[] = "msvcrt.dll";
#else
constexpr char kMathLibrary[] = "libm.so.6";
#endif

TEST(SharedLibrary, FindsEntryPointsAndExplainsFailures) {
  SharedLibrary library;
  EXPECT_FALSE(library.Load("/nonexistent/libnothing.so"));
  EXPECT_NE(library.LastError().find("/nonexistent/libnothing.so"), std::string::npos);

  ASSERT_TRUE(library.Load(kMathLibrary)) << library.LastError();
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
