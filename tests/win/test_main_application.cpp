#include <gtest/gtest.h>

#include <memory>

#include "toolkit/application.h"

namespace tovi {
namespace {

// The process may hold one application object, and the toolkit reaches it
// through Application(): it lives from before the first test to after the last.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { FApplication = std::make_unique<TApplication>(); }
  void TearDown() override { FApplication.reset(); }

 private:
  std::unique_ptr<TApplication> FApplication;
};

// gtest_main owns main(), so the environment registers itself before it runs.
[[maybe_unused]] ::testing::Environment* const TheEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
}  // namespace tovi
