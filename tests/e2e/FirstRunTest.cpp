// What a new user meets before the app does anything: what --help says about
// where ads come from and where the app's resources are.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "ads/PennantAdServer.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

class FirstRun : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

TEST_F(FirstRun, HelpSaysWhereAdsComeFromAndWhereTheResourcesAre) {
  // --help prints to stdout; the program's usage goes there in full.
  const std::string out = dir_.path() + "/help.txt";
  const std::string command = AppRun::program() + " --help >'" + out + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(out);
  const std::string help((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(help.find(pennant::PennantAdServer::kDefaultRequestHost), std::string::npos) << help;
  EXPECT_NE(help.find("pennant-adserver --port 8420"), std::string::npos) << help;
  EXPECT_NE(help.find("VORLA_BUNDLE_DIR"), std::string::npos) << help;
}

}  // namespace
}  // namespace e2e
