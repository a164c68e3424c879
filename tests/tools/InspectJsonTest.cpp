// Runs the built pennant-inspect as a real process on real files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

class InspectJson : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binaryDir = std::getenv("PENNANT_BINARY_DIR");
    ASSERT_NE(binaryDir, nullptr) << "run through ctest, which sets PENNANT_BINARY_DIR";
    tool_ = fs::path(binaryDir) / "tools" / "inspect" / "pennant-inspect";
    ASSERT_TRUE(fs::exists(tool_)) << tool_;
    dir_ = fs::temp_directory_path() / ("inspect-json-" + std::to_string(::getpid()));
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

TEST_F(InspectJson, PrintsTheCanonicalForm) {
  const auto path = file("ad.json", R"({"text":"Caf\u00e9 \ud83d\ude00","18":1e5,"url":"http://a/b?c=\"d\"",)"
                                    R"("list":[0.1,-0.25,true,null],"a":{}} trailing)");
  const ToolRun result = run("json " + path.string());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            R"({"18":100000,"a":{},"list":[0.1,-0.25,true,null],"text":"Caf\u00e9 \ud83d\ude00",)"
            R"("url":"http://a/b?c=\"d\""})"
            "\n");
}

TEST_F(InspectJson, ReadsStandardInputAndAnyValue) {
  ToolRun result = run("json --any -", "  [1,2,]");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "[1,2]\n");
  result = run("json -", "  [1,2,]");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "error JSONScannerErrorDomain -1 Could not scan dictionary. Dictionary that does not start with '{' "
            "character.\n");
}

TEST_F(InspectJson, ReportsErrors) {
  ToolRun result = run("json " + file("nested.json", R"({"a":{"b":}})").string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "error JSONScannerErrorDomain -4 Could not scan dictionary. Failed to scan a value.\n");

  result = run("json " + file("empty.json", "").string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "error JSONReaderErrorDomain -1\n");

  result = run("json --any " + file("word.json", "hello").string());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "error\n");
}

TEST_F(InspectJson, ReadsUtf16Files) {
  const ToolRun result = run("json " + file("wide.json", "{\0\"\0k\0\"\0:\0[\0]\0}\0"s).string());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "{\"k\":[]}\n");
}

TEST_F(InspectJson, RepeatReportsThroughput) {
  const ToolRun result = run("json --repeat 5 " + file("small.json", R"({"a":[1,2,3]})").string());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "{\"a\":[1,2,3]}\n");
  EXPECT_NE(result.err.find("parses/s"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("MB/s"), std::string::npos) << result.err;
}

TEST_F(InspectJson, UsageErrorsExitWithTwo) {
  const std::string valid = file("v.json", "{}").string();
  for (const std::string& arguments :
       {"json"s, "json --bogus " + valid, "json --repeat 0 " + valid, "json --repeat x " + valid,
        "json " + valid + " " + valid, "json --repeat"s, "json " + (dir_ / "missing.json").string(),
        "no-such-command"s, ""s}) {
    const ToolRun result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_TRUE(result.out.empty()) << arguments;
    EXPECT_FALSE(result.err.empty()) << arguments;
  }
}

}  // namespace
