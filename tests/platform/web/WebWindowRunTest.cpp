// The web view in the desktop window, driven as a user drives it: the app
// (web-test-app) runs in its GTK window on the test's X display, xdotool
// clicks into the page and types, and the journal shows the page reacting
// by itself, without our drawing in between.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/web/PrivateDisplay.h"
#include "tests/e2e/AppRun.h"
#include "tests/platform/web/WebTestSupport.h"

extern char** environ;

namespace webtest {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

bool waitFor(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::string command(const std::string& line) {
  std::string out;
  if (FILE* pipe = ::popen(line.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

TEST(WebWindowRun, ThePageTakesClicksAndKeysInTheWindow) {
  if (const char* display = std::getenv("DISPLAY"); !display || !*display) {
    ASSERT_EQ(platform::web::PrivateDisplay::start(), "");
  }
  nettest::LoopbackServer server;
  server.server.set_keep_alive_max_count(1);
  server.server.Get("/start", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Start", "<a href='/typing' style='display:block;width:320px;height:372px'></a>", "#ff0000"),
                    "text/html");
  });
  server.server.Get("/typing", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        page("Typing", "<script>document.onkeydown = e => { location.href = '/typed?' + e.key; };</script>"),
        "text/html");
  });
  server.server.Get("/typed", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Typed", "typed"), "text/html");
  });
  server.start();

  e2e::TempDir work;
  const std::string out = work.path() + "/out";
  const std::string url = server.url("/start");
  std::vector<std::string> args = {webtest::webTestApp(), "--home", work.path() + "/home", "--out", out,
                                   "--open-urls", "log", "--audio", "off"};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  ::setenv("WEB_TEST_URL", url.c_str(), 1);
  const std::string errors = work.path() + "/stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_EQ(spawned, 0);
  ::unsetenv("WEB_TEST_URL");

  const std::string journal = out + "/events.jsonl";
  auto journalHas = [&](const std::string& text) { return readAll(journal).find(text) != std::string::npos; };
  std::string window;
  ASSERT_TRUE(waitFor([&] { return !(window = command("xdotool search --name '^Web Test App$' 2>/dev/null | head -n 1")).empty(); }, 20))
      << readAll(errors);
  EXPECT_TRUE(waitFor([&] { return journalHas("\"event\":\"finish\",\"url\":\"" + url + "\""); }, 20)) << readAll(journal);

  // On the screen the page shows live: our drawing would show no page
  // there (it has no snapshot while the widget is up).
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
  const std::string geometry = command("xdotool getwindowgeometry --shell " + window);
  const int left = std::atoi(geometry.substr(geometry.find("X=") + 2).c_str());
  const int top = std::atoi(geometry.substr(geometry.find("Y=") + 2).c_str());
  GdkPixbuf* shown = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), left + 160, top + 300, 1, 1);
  ASSERT_NE(shown, nullptr);
  const guchar* rgb = gdk_pixbuf_get_pixels(shown);
  EXPECT_TRUE(rgb[0] > 200 && rgb[1] < 50 && rgb[2] < 50) << int(rgb[0]) << "," << int(rgb[1]) << "," << int(rgb[2]);
  g_object_unref(shown);

  // A click at the middle of the page follows its link: the engine's
  // widget took the click.
  command("xdotool mousemove --window " + window + " 160 300 click 1");
  EXPECT_TRUE(waitFor([&] { return journalHas("\"event\":\"finish\",\"url\":\"" + server.url("/typing") + "\""); }, 20))
      << readAll(journal);
  command("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key x");
  EXPECT_TRUE(waitFor([&] { return journalHas("\"event\":\"start\",\"url\":\"" + server.url("/typed?x") + "\""); }, 20))
      << readAll(journal);

  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

}  // namespace
}  // namespace webtest
