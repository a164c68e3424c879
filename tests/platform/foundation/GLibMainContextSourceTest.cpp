// GLib's main context driven from our run loop through attachTo(): one
// source per loop however often it is asked for, and nothing dispatched
// once it is detached.

#include <gtest/gtest.h>

#include "platform/foundation/GLibMainContextSource.h"
#include "platform/foundation/RunLoop.h"

namespace platform {
namespace {

TEST(GLibMainContextSource, AttachingTwiceDrivesTheContextOnceAndDetachingStopsIt) {
  RunLoop loop;  // real clock
  loop.makeCurrent();
  auto first = GLibMainContextSource::attachTo(loop);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GLibMainContextSource::attachTo(loop), first);

  // A repeating idle runs once per dispatch of the context: a second source
  // on the same loop would dispatch it twice in one round.
  int rounds = 0;
  const guint idle = g_idle_add(
      [](gpointer count) -> gboolean {
        ++*static_cast<int*>(count);
        return G_SOURCE_CONTINUE;
      },
      &rounds);
  loop.runOnce(0);
  EXPECT_EQ(rounds, 1);

  GLibMainContextSource::detachFrom(loop);
  loop.runOnce(0);
  loop.runOnce(0);
  EXPECT_EQ(rounds, 1);
  g_source_remove(idle);

  // Detached, a new attach makes a fresh source.
  auto again = GLibMainContextSource::attachTo(loop);
  EXPECT_NE(again, nullptr);
  GLibMainContextSource::detachFrom(loop);
}

}  // namespace
}  // namespace platform
