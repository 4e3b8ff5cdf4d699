#pragma once
// The one application object of a GUI test program: made before the first
// test and freed after the last, as Qt wants exactly one while widgets live.
// Register it once per program:
//   const auto* const kApp = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);
#include <gtest/gtest.h>

#include <memory>

namespace kx::test {

template <class App>
class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<App>(argc_, argv_); }
  void TearDown() override { app_.reset(); }
  static App& Instance() { return *app_; }

 private:
  int argc_ = 1;
  char name_[8] = "kx-test";
  char* argv_[2] = {name_, nullptr};
  static inline std::unique_ptr<App> app_;
};

}  // namespace kx::test
