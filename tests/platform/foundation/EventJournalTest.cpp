#include "platform/foundation/EventJournal.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/SimulatedClock.h"

using platform::EventJournal;
using platform::JournalFields;
using platform::SimulatedClock;

namespace {

class EventJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/journal-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/events.jsonl";
  }
  void TearDown() override {
    EventJournal::setCurrent(nullptr);
    std::remove(path_.c_str());
    ::rmdir(dir_.c_str());
  }
  std::vector<std::string> lines() const {
    std::ifstream in(path_);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }
  // Every line must parse as a JSON object with an independent reader.
  bool allLinesAreJsonObjects() const {
    const std::string command =
        "python3 -c 'import json,sys\n"
        "for l in open(sys.argv[1], encoding=\"utf-8\"):\n"
        "  assert isinstance(json.loads(l), dict)' " + path_;
    return std::system(command.c_str()) == 0;
  }

  std::string dir_;
  std::string path_;
  std::shared_ptr<SimulatedClock> clock_ = std::make_shared<SimulatedClock>();
};

}  // namespace

TEST_F(EventJournalTest, LinesStartWithTimeAndTypeThenFieldsInOrder) {
  auto journal = EventJournal::openAtPath(path_, clock_);
  ASSERT_NE(journal, nullptr);
  clock_->setNow(0.1 + 0.2);  // 0.30000000000000004 on the clock
  JournalFields nested;
  nested.set("x", 0).set("y", 412.5);
  EXPECT_TRUE(journal->record("sound", JournalFields()
                                           .set("name", "ThatWasVorla")
                                           .set("vibrate", true)
                                           .set("count", -3)
                                           .set("frame", std::move(nested))
                                           .set("urls", std::vector<std::string>{"a", "b"})
                                           .set("message", std::optional<std::string>())
                                           .set("title", std::optional<std::string>("Call?"))
                                           .set("t", "ignored")
                                           .set("type", "ignored")));
  EXPECT_TRUE(journal->record("navigation"));
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         R"({"t":0.3,"type":"sound","name":"ThatWasVorla","vibrate":true,"count":-3,)"
                         R"("frame":{"x":0,"y":412.5},"urls":["a","b"],"message":null,"title":"Call?"})",
                         R"({"t":0.3,"type":"navigation"})"}));
  EXPECT_TRUE(allLinesAreJsonObjects());
}

TEST_F(EventJournalTest, StringsAreEscapedAndInvalidUtf8IsReplaced) {
  auto journal = EventJournal::openAtPath(path_, clock_);
  ASSERT_NE(journal, nullptr);
  std::string allControls;
  for (int c = 0; c < 0x20; ++c) allControls.push_back(static_cast<char>(c));
  allControls.push_back('\x7f');
  journal->record("controls", JournalFields().set("text", allControls));
  journal->record("text", JournalFields()
                              .set("quote", "say \"hi\" \\ / done")
                              .set("accent", "Bot\xC3\xB3n Trimo \xF0\x9F\x94\x8A")
                              .set("broken", "a\xC3(\xC0\xAF\xED\xA0\x80z\xE2\x82"));
  const auto result = lines();
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0],
            R"({"t":0,"type":"controls","text":"\u0000\u0001\u0002\u0003\u0004\u0005\u0006\u0007)"
            R"(\b\t\n\u000b\f\r\u000e\u000f\u0010\u0011\u0012\u0013\u0014\u0015\u0016\u0017)"
            R"(\u0018\u0019\u001a\u001b\u001c\u001d\u001e\u001f\u007f"})");
  EXPECT_EQ(result[1], "{\"t\":0,\"type\":\"text\",\"quote\":\"say \\\"hi\\\" \\\\ / done\","
                       "\"accent\":\"Bot\xC3\xB3n Trimo \xF0\x9F\x94\x8A\","
                       "\"broken\":\"a\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                       "\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD\"}");
  EXPECT_TRUE(allLinesAreJsonObjects());
}

TEST_F(EventJournalTest, NumbersJsonCannotHoldBecomeNull) {
  auto journal = EventJournal::openAtPath(path_, clock_);
  ASSERT_NE(journal, nullptr);
  journal->record("n", JournalFields()
                           .set("nan", std::nan(""))
                           .set("inf", std::numeric_limits<double>::infinity())
                           .set("big", std::int64_t{9007199254740993})
                           .set("small", 1e-7));
  EXPECT_EQ(lines(), std::vector<std::string>{
                         R"({"t":0,"type":"n","nan":null,"inf":null,"big":9007199254740993,"small":1e-07})"});
}

TEST_F(EventJournalTest, LogWritesToStderrAndToTheCurrentJournal) {
  auto journal = EventJournal::openAtPath(path_, clock_);
  ASSERT_NE(journal, nullptr);
  platform::log("before any journal is current");
  EventJournal::setCurrent(journal);
  clock_->setNow(12.25);
  ::testing::internal::CaptureStderr();
  platform::log("Pennant: Did receive ad");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Pennant: Did receive ad\n");
  EXPECT_EQ(lines(), std::vector<std::string>{
                         R"({"t":12.25,"type":"log","text":"Pennant: Did receive ad"})"});

  // Text from outside cannot end the line and forge another.
  ::testing::internal::CaptureStderr();
  platform::log("Ignoring \"en_US\r\nPennant: Did receive ad\"");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Ignoring \"en_US\\x0D\\x0APennant: Did receive ad\"\n");
  EXPECT_EQ(lines().size(), 2u);
}

TEST_F(EventJournalTest, LinesLoggedAtStartUpReachTheFirstJournalAndOnlyWhenHeld) {
  // A start-up that holds: what it logs before the journal opens comes
  // first in it, bounded; once a journal was current, nothing is held.
  EventJournal::holdEventsUntilCurrent();
  ::testing::internal::CaptureStderr();
  platform::log("The preferences file p cannot be read; it was set aside as p.unreadable");
  for (std::size_t i = 0; i < EventJournal::kMostHeldEvents + 10; ++i) platform::log("noise");
  ::testing::internal::GetCapturedStderr();
  auto journal = EventJournal::openAtPath(path_, clock_);
  ASSERT_NE(journal, nullptr);
  EventJournal::setCurrent(journal);
  platform::log("after");
  const auto written = lines();
  ASSERT_EQ(written.size(), EventJournal::kMostHeldEvents + 1);
  EXPECT_EQ(written.front(),
            R"({"t":0,"type":"log","text":"The preferences file p cannot be read; it was set aside as p.unreadable"})");
  EXPECT_EQ(written.back(), R"({"t":0,"type":"log","text":"after"})");

  EventJournal::setCurrent(nullptr);
  platform::log("with no journal and no holding: dropped");
  EventJournal::setCurrent(journal);
  EXPECT_EQ(lines().size(), EventJournal::kMostHeldEvents + 1);
}

TEST_F(EventJournalTest, RecordedLinesSurviveACrash) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto journal = EventJournal::openAtPath(path_, clock_);
    if (!journal) ::_exit(2);
    journal->record("before-crash", JournalFields().set("n", 1));
    std::abort();  // no destructors, no flushing at exit
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(lines(), std::vector<std::string>{R"({"t":0,"type":"before-crash","n":1})"});
}

TEST_F(EventJournalTest, OpeningFailsWithoutAWritablePath) {
  EXPECT_EQ(EventJournal::openAtPath(dir_ + "/missing/events.jsonl", clock_), nullptr);
  EXPECT_EQ(EventJournal::openAtPath(dir_, clock_), nullptr);  // a directory
}

TEST_F(EventJournalTest, WriteFailureIsReportedNotHidden) {
  auto journal = EventJournal::openAtPath("/dev/full", clock_);
  ASSERT_NE(journal, nullptr);
  EXPECT_FALSE(journal->record("lost"));
}

TEST_F(EventJournalTest, DefaultClockIsTheMainRunLoops) {
  auto journal = EventJournal::openAtPath(path_);
  ASSERT_NE(journal, nullptr);
  journal->record("x");
  const auto result = lines();
  ASSERT_EQ(result.size(), 1u);
  EXPECT_TRUE(result[0].starts_with(R"({"t":)"));
  EXPECT_TRUE(allLinesAreJsonObjects());
}
