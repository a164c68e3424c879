// Runs the built pennant-inspect as a real process on real files.
#include "InspectTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using InspectJson = inspect_testing::InspectTool;
using inspect_testing::ToolRun;

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
