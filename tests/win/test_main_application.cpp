#include <gtest/gtest.h>

#include <memory>

#include "toolkit/application.h"

namespace tovi {
namespace {

// The toolkit reaches the one application object through Application(); it outlives every test.
class ApplicationEnvironment : public ::testing::Environment {
  void SetUp() override { FApplication = std::make_unique<TApplication>(); }
  void TearDown() override { FApplication.reset(); }
  std::unique_ptr<TApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const TheEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
}  // namespace tovi
