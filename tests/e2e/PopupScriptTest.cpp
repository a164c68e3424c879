// Alerts and action sheets through the real headless front end, with a
// small app of its own that shows them: the script's `press` works their
// buttons (and nothing underneath while one shows), the journal records
// them, the dump lists them and the screenshots show them, upright and
// turned.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

std::string popupApp() {
  const char* path = std::getenv("POPUP_TEST_APP");
  return path ? path : "popup-test-app";
}

class PopupScript : public ::testing::Test {
 protected:
  RunResult run(const std::string& script) { return AppRun::headless(dir_.path() + "/home", script, {}, popupApp()); }

  // The journal lines about alerts and the app's own answers, in order.
  static std::vector<std::string> popupLines(const RunResult& run) {
    std::vector<std::string> lines;
    for (const auto& e : run.events) {
      if (e.type == "alert" || e.type == "alert-button" || e.type == "action-sheet" ||
          (e.type == "log" && (e.text.find("answered") != std::string::npos || e.text == "Underneath pressed"))) {
        lines.push_back(e.line.substr(e.line.find("\"type\"")));
      }
    }
    return lines;
  }

  TempDir dir_;
};

TEST_F(PopupScript, PressAnswersAlertsAndSheetsInTurnAndTheJournalTellsIt) {
  auto run = this->run(
      "tap 160 62\n"  // the "Alert" button
      "wait 0.5\n"
      "screenshot alert\n"
      "views alert\n"
      "press \"Retry\"\n"
      "press \"Two alerts\"\n"
      "press \"OK\"\n"
      "press \"Later\"\n"
      "press \"Sheet\"\n"
      "wait 0.5\n"
      "screenshot sheet\n"
      "press \"Email link\"\n"
      "rotate landscape-left\n"
      "press \"Alert\"\n"
      "wait 0.5\n"
      "screenshot turned\n"
      "press \"Cancel\"\n"
      "press \"Underneath\"\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(popupLines(run),
            (std::vector<std::string>{
                R"("type":"alert","title":"Whoops","message":"Couldn't connect to that page.","buttons":["Cancel","Retry"]})",
                R"("type":"alert-button","title":"Retry","index":1})",
                R"("type":"log","text":"Alert Whoops answered 1"})",
                R"("type":"alert","title":"First","message":null,"buttons":["OK"]})",
                R"("type":"alert-button","title":"OK","index":0})",
                R"("type":"log","text":"Alert First answered 0"})",
                R"("type":"alert","title":"Second","message":null,"buttons":["Later"]})",
                R"("type":"alert-button","title":"Later","index":0})",
                R"("type":"log","text":"Alert Second answered 0"})",
                R"("type":"action-sheet","buttons":["Launch Safari","Email link","Cancel"]})",
                R"("type":"alert-button","title":"Email link","index":1})",
                R"("type":"log","text":"Sheet answered 1"})",
                R"("type":"alert","title":"Whoops","message":"Couldn't connect to that page.","buttons":["Cancel","Retry"]})",
                R"("type":"alert-button","title":"Cancel","index":0})",
                R"("type":"log","text":"Alert Whoops answered 0"})",
                R"("type":"log","text":"Underneath pressed"})"}));

  const auto dump = run.file("alert.json");
  EXPECT_NE(dump.find(R"("class":"AlertView")"), std::string::npos) << dump;
  EXPECT_NE(dump.find(R"("title":"Whoops","message":"Couldn't connect to that page.","buttons":["Cancel","Retry"])"),
            std::string::npos);

  // A blue box in the middle of a dimmed white screen, upright and turned.
  // (On the box, clear of its text and buttons.)
  for (const auto& [name, boxX] : {std::pair{"alert", 24}, std::pair{"turned", 100}}) {
    auto shot = run.screenshot(name);
    ASSERT_NE(shot, nullptr);
    const Rgb middle = pixelAt(*shot, boxX, 240);
    EXPECT_GT(middle.b, middle.r + 30) << name;
    const Rgb dimmed = pixelAt(*shot, 2, 240);
    EXPECT_LT(dimmed.brightness(), 3 * 200) << name;
    EXPECT_GT(dimmed.brightness(), 3 * 60) << name;
  }
  auto sheet = run.screenshot("sheet");
  ASSERT_NE(sheet, nullptr);
  EXPECT_LT(pixelAt(*sheet, 5, 470).brightness(), 3 * 60) << "the dark sheet at the bottom";
  EXPECT_GT(pixelAt(*sheet, 40, 320).brightness(), 3 * 200) << "its light buttons";
}

TEST_F(PopupScript, NothingUnderAnAlertCanBePressedOrTapped) {
  auto run = this->run(
      "press \"Alert\"\n"
      "tap 160 382\n"  // where "Underneath" is
      "press \"Underneath\"\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderrText.find("line 3: nothing on the screen is titled \"Underneath\""), std::string::npos)
      << run.stderrText;
  EXPECT_EQ(popupLines(run),
            (std::vector<std::string>{
                R"("type":"alert","title":"Whoops","message":"Couldn't connect to that page.","buttons":["Cancel","Retry"]})"}));
}

}  // namespace
}  // namespace e2e
