// Sets an environment variable for one test and puts the old value back. The time zone is read
// again both times, since TZ is one of the variables tests set.
#pragma once

#include <stdlib.h>

#include <ctime>
#include <optional>
#include <string>

namespace kivo::platform::testing {

// Sets (value) or removes (nullptr) a variable of this process, for the engine and for the
// programs the test starts. On Windows _putenv_s also changes the Win32 environment block,
// which GetEnvironmentVariable and child processes read; an empty value removes the variable
// there, as Windows has no empty variables.
inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  ::_putenv_s(name, value ? value : "");
  ::_tzset();
#else
  value ? ::setenv(name, value, 1) : ::unsetenv(name);
  ::tzset();
#endif
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    SetEnvironment(name, value);
  }
  ~ScopedEnv() { SetEnvironment(name_.c_str(), old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace kivo::platform::testing
