// Sets an environment variable for one test and puts the old value back. The time zone is read
// again both times, since TZ is one of the variables tests set.
#pragma once

#include <stdlib.h>

#include <ctime>
#include <optional>
#include <string>

namespace kivo::platform::testing {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
    ::tzset();
  }
  ~ScopedEnv() {
    old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_);
    ::tzset();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace kivo::platform::testing
