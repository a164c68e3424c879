// The app is killed (SIGKILL) at random moments while it writes its files
// over and over: the preferences (the vibrate switch turned again and
// again), the image cache (a server whose every ad names a new action
// icon), the localizer's strings file (taken away as soon as it lands, so
// each ad fetches and writes it anew) and the address book (a contact ad
// added again and again). After every kill each file is the old or the new
// version, never a mix; then the app starts and works. A preferences file
// that is torn all the same (another program's doing) is set aside under a
// name the log gives, never replaced by defaults over the user's data.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <thread>

#include "platform/graphics/Image.h"
#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

extern char** environ;

namespace e2e {
namespace {

namespace fs = std::filesystem;

// Writes each kind of file goes through before the test is satisfied.
constexpr int kWritesPerFile = 1000;
// No run should be needed beyond this; reaching it means writes stopped.
constexpr int kMostKills = 400;
// How long after its first write a run may live before it is killed.
constexpr int kLongestLifeMs = 120;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Hidden or dotted temporary files of interrupted writes are not versions
// of anything: the next start sweeps them.
bool isTemporary(const fs::path& path) {
  const std::string name = path.filename().string();
  // The address book's own temporary files: ".<app file name>-ab-...tmp".
  if (name.rfind(".vorla-button-ab-", 0) == 0) return true;
  const auto dot = name.rfind('.');
  return dot != std::string::npos && name.size() - dot == 7 &&
         std::all_of(name.begin() + static_cast<long>(dot) + 1, name.end(), [](char c) { return std::isalnum(c); });
}

struct Subject {
  std::string name;
  std::string script;
  std::vector<std::string> arguments;
  // The journal text that marks one write of this file.
  std::string writeMarker;
  // Checks that every file of the kind is whole; `label` names the kill.
  std::function<void(const std::string& label)> checkFiles;
  // Runs beside the app while it lives (may be empty).
  std::function<void(const std::atomic<bool>& stop)> meanwhile;
};

struct Tally {
  int kills = 0;
  int writes = 0;
  int filesChecked = 0;
};

class TornFiles : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  std::string book() const { return dir_.path() + "/book"; }

  // Starts the app on `subject`'s script, kills it at a random moment after
  // its first write, checks the files; again until enough writes were seen.
  void killRepeatedly(const Subject& subject, const AdServerProcess& server, Tally& tally) {
    std::mt19937 random(20090402);
    while (tally.writes < kWritesPerFile && tally.kills < kMostKills) {
      const std::string out = dir_.path() + "/out-" + subject.name + "-" + std::to_string(tally.kills);
      std::vector<std::string> args = {AppRun::program(), "--headless", "--script", scriptFile(subject),
                                       "--out", out, "--home", home(), "--address-book", book(),
                                       "--device-id", "torn-files"};
      for (const auto& a : server.hostArguments()) args.push_back(a);
      args.insert(args.end(), subject.arguments.begin(), subject.arguments.end());
      const pid_t pid = spawn(args);
      if (pid <= 0) {
        ADD_FAILURE() << "cannot start " << args[0];
        break;
      }
      std::atomic<bool> stop{false};
      std::thread beside;
      if (subject.meanwhile) beside = std::thread([&] { subject.meanwhile(stop); });
      const std::string journal = out + "/events.jsonl";
      // Kill while it writes: once the first write shows, a random moment
      // among those that follow.
      for (int poll = 0; poll < 4000 && contents(journal).find(subject.writeMarker) == std::string::npos; ++poll) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % kLongestLifeMs));
      // What runs beside stops first, so the kill finds the files as the
      // app left them.
      stop = true;
      if (beside.joinable()) beside.join();
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % kLongestLifeMs));
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      ++tally.kills;
      tally.writes += static_cast<int>(occurrences(contents(journal), subject.writeMarker));
      subject.checkFiles(subject.name + " kill " + std::to_string(tally.kills));
      fs::remove_all(out);
    }
    EXPECT_GE(tally.writes, kWritesPerFile) << subject.name << ": writes stopped after " << tally.kills << " kills";
    // Temporary files younger than a second may still be someone's: wait
    // that long, then a normal start sweeps them and works.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::vector<std::string> extra = server.hostArguments();
    extra.insert(extra.end(), {"--address-book", book()});
    extra.insert(extra.end(), subject.arguments.begin(), subject.arguments.end());
    auto after = AppRun::headless(home(), "wait 1\ntap 160 239\n", extra);
    EXPECT_EQ(after.status, 0) << subject.name << "\n" << after.stderrText;
    EXPECT_EQ(after.ofType("sound").size(), 1u) << subject.name;
    for (const auto& line : after.logLines()) {
      EXPECT_EQ(line.find("cannot be read"), std::string::npos) << subject.name << ": " << line;
    }
    for (const auto& entry : fs::recursive_directory_iterator(home())) {
      EXPECT_FALSE(entry.is_regular_file() && isTemporary(entry.path())) << entry.path();
    }
    std::cout << "[ figures  ] " << subject.name << ": " << tally.kills << " kills, " << tally.writes << " writes, "
              << tally.filesChecked << " files checked\n";
  }

  std::string scriptFile(const Subject& subject) {
    const std::string path = dir_.path() + "/" + subject.name + ".script";
    if (!fs::exists(path)) std::ofstream(path) << subject.script;
    return path;
  }

  static pid_t spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
  }

  // The regular files of a folder that are not temporary.
  static std::vector<fs::path> versionsIn(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (entry.is_regular_file() && !isTemporary(entry.path())) files.push_back(entry.path());
    }
    return files;
  }

  TempDir dir_;
};

// The inventory of a server whose ads each name an action icon of their
// own, so that every ad brings a new file into the image cache.
std::string inventoryOfNewIcons(const std::string& folder, int ads) {
  fs::create_directories(folder + "/ads");
  std::ofstream pictures(folder + "/pictures.json");
  pictures << R"([{"path": "/static/ads/icon.png", "width": 38, "height": 38, "color": "#d84315", "shape": "square"})";
  for (const char* browser : {"back", "back_disable", "forward", "forward_disable"}) {
    pictures << R"(, {"path": "/static/iphone/browser/)" << browser
             << R"(.png", "width": 30, "height": 30, "color": "#2f6fd0", "shape": "circle"})";
  }
  for (int i = 0; i < ads; ++i) {
    const std::string icon = "icon-" + std::to_string(i);
    pictures << R"(, {"path": "/static/iphone/img/)" << icon
             << R"(.png", "width": 30, "height": 30, "color": "#43a047", "shape": "rounded"})";
    std::ofstream(folder + "/ads/ad-" + std::to_string(100000 + i) + ".json")
        << R"({"ad": {"text": "Ad )" << i << R"(", "6": "call", "18": ")" << icon
        << R"(", "url": "http://example.com/", "jsonp_url": "{{base}}/click/x", "204": "/static/ads/icon.png"}})";
  }
  pictures << "]";
  return folder;
}

std::string repeated(const std::string& lines, int times) {
  std::string script;
  for (int i = 0; i < times; ++i) script += lines;
  return script;
}

TEST_F(TornFiles, Preferences) {
  const std::string file = home() + "/Library/Preferences/vorla-button.plist";
  // The two versions the switch writes, from a run that is left to finish.
  auto reference = AppRun::headless(dir_.path() + "/reference", "tap 297 82\nwait 1\ntap 258 287\n");
  ASSERT_EQ(reference.status, 0) << reference.stderrText;
  const std::string on = contents(dir_.path() + "/reference/Library/Preferences/vorla-button.plist");
  AppRun::headless(dir_.path() + "/reference", "tap 297 82\nwait 1\ntap 258 287\n");
  const std::string off = contents(dir_.path() + "/reference/Library/Preferences/vorla-button.plist");
  ASSERT_NE(on, off);
  ASSERT_NE(on.find("shouldVibrate"), std::string::npos);

  AdServerProcess server(dir_.path(), "tools/adserver/inventory");
  Tally tally;
  Subject subject{"preferences", "tap 297 82\nwait 1\n" + repeated("tap 258 287\n", 2000), {},
                  "\"type\":\"defaults\"",
                  [&](const std::string& label) {
                    if (!fs::exists(file)) return;
                    const std::string now = contents(file);
                    EXPECT_TRUE(now == on || now == off) << label << "\n" << now;
                    ++tally.filesChecked;
                  },
                  {}};
  killRepeatedly(subject, server, tally);

  // A file torn by something else: the user's bytes are set aside, named
  // in the log, and the app starts with its defaults beside them.
  const std::string torn = on.substr(0, on.size() / 2);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << torn;
  auto run = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  const std::string aside = file + ".unreadable";
  EXPECT_EQ(contents(aside), torn);
  const auto lines = run.logLines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(file) != std::string::npos && line.find(aside) != std::string::npos;
  })) << "the log names both files: " << ::testing::PrintToString(lines);
  ASSERT_EQ(run.ofType("sound").size(), 1u);
  EXPECT_FALSE(run.ofType("sound")[0].vibrate) << "defaults until the user chooses again";
}

TEST_F(TornFiles, ImageCache) {
  AdServerProcess server(dir_.path(), inventoryOfNewIcons(dir_.path() + "/inventory", kWritesPerFile + 200));
  ASSERT_FALSE(server.url().empty());
  const std::string cache = home() + "/Documents/pennant/image_cache";
  Tally tally;
  std::set<std::string> seen;
  Subject subject{"image-cache", "wait 1\n" + repeated("wait 60\n", kWritesPerFile + 200), {}, "/img/icon-",
                  [&](const std::string& label) {
                    // Only files new since the last kill need decoding again.
                    for (const auto& path : versionsIn(cache)) {
                      if (!seen.insert(path.filename().string()).second) continue;
                      EXPECT_NE(platform::graphics::Image::imageWithContentsOfFile(path.string()), nullptr)
                          << label << ": " << path;
                      ++tally.filesChecked;
                    }
                  },
                  {}};
  killRepeatedly(subject, server, tally);
  for (const auto& path : versionsIn(cache)) {
    EXPECT_NE(platform::graphics::Image::imageWithContentsOfFile(path.string()), nullptr) << path;
  }
}

TEST_F(TornFiles, StringsFile) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "call"});
  const std::string source = std::string(std::getenv("PENNANT_SOURCE_DIR")) +
                             "/tools/adserver/inventory/static/iphone/i18n/20090402/es.strings";
  const std::string served = contents(source);
  const std::string file = home() + "/Documents/pennant/localization_cache/20090402/es.strings";
  Tally tally;
  Subject subject{"strings", "wait 1\n" + repeated("wait 60\n", 3000), {"--language", "es"}, "/es.strings",
                  [&](const std::string& label) {
                    if (!fs::exists(file)) return;
                    EXPECT_EQ(contents(file), served) << label;
                    ++tally.filesChecked;
                  },
                  // Taken away as soon as it lands, so every ad writes it again.
                  [&](const std::atomic<bool>& stop) {
                    while (!stop) {
                      std::error_code error;
                      fs::remove(file, error);
                      std::this_thread::sleep_for(std::chrono::microseconds(200));
                    }
                  }};
  killRepeatedly(subject, server, tally);
}

TEST_F(TornFiles, AddressBook) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "contact"});
  Tally tally;
  bool added = false;
  Subject subject{"address-book",
                  "wait 1\n" + repeated("down 160 456\nup 160 456\nwait 0.5\npress \"Add\"\nwait 0.4\n", 600), {},
                  "Added contact Sunrise Bakery",
                  [&](const std::string& label) {
                    const auto cards = versionsIn(book());
                    // The entry replaced and the one replacing it may both
                    // be there for a moment, never a third or a broken one;
                    // and once the business is in the book it never leaves.
                    EXPECT_LE(cards.size(), 2u) << label;
                    EXPECT_TRUE(!added || !cards.empty()) << label << ": the entry is gone";
                    added = added || !cards.empty();
                    for (const auto& card : cards) {
                      const std::string text = contents(card);
                      EXPECT_EQ(text.rfind("BEGIN:VCARD\r\n", 0), 0u) << label << ": " << card;
                      EXPECT_TRUE(text.size() > 11 && text.compare(text.size() - 11, 11, "END:VCARD\r\n") == 0)
                          << label << ": " << card;
                      EXPECT_NE(text.find("ORG:Sunrise Bakery"), std::string::npos) << label;
                      ++tally.filesChecked;
                    }
                  },
                  {}};
  killRepeatedly(subject, server, tally);
}

}  // namespace
}  // namespace e2e
