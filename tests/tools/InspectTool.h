#pragma once
// Runs the built pennant-inspect as a real process, on real files in a
// temporary folder of its own.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace inspect_testing {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

class InspectTool : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binaryDir = std::getenv("PENNANT_BINARY_DIR");
    ASSERT_NE(binaryDir, nullptr) << "run through ctest, which sets PENNANT_BINARY_DIR";
    tool_ = fs::path(binaryDir) / "tools" / "inspect" / "pennant-inspect";
    ASSERT_TRUE(fs::exists(tool_)) << tool_;
    dir_ = fs::temp_directory_path() / ("inspect-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path file(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
  }

  ToolRun run(const std::string& arguments, const std::string& input = "") {
    const fs::path in = file("stdin", input);
    const std::string command = "'" + tool_.string() + "' " + arguments + " <'" + in.string() + "' >'" +
                                (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir_ / "out"), slurp(dir_ / "err")};
  }

  fs::path tool_;
  fs::path dir_;
};

}  // namespace inspect_testing
