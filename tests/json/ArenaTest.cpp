#include "json/Arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace json {
namespace {

struct Item {
  Item() = default;
  Item(std::uint64_t lane, std::uint64_t serial) : lane(lane), serial(serial), check(~serial) {}
  bool intact() const { return check == ~serial; }
  std::uint64_t lane;
  std::uint64_t serial;
  std::uint64_t check;  // every byte of an item matters
};

// What a committed run should still hold: where it lies, and its items.
struct Committed {
  const Item* first;
  std::size_t count;
  std::uint64_t lane;
  std::uint64_t firstSerial;
};

void expectIntact(const std::vector<Committed>& runs) {
  for (const auto& run : runs) {
    for (std::size_t i = 0; i < run.count; ++i) {
      ASSERT_EQ(run.first[i].lane, run.lane);
      ASSERT_TRUE(run.first[i].intact());
      ASSERT_EQ(run.first[i].serial, run.firstSerial + i);
    }
  }
}

TEST(ArenaLanes, RunsStayContiguousAndCommittedRunsStayPutWhileLanesGrow) {
  Arena arena;
  std::vector<Committed> committed;
  std::uint64_t serial = 0;
  // A long run on lane 1 interleaved with short committed runs on deeper
  // lanes, as a long array of small objects is scanned; lane 1 outgrows its
  // slice and several blocks on the way.
  Arena::Run<Item> outer(arena, 1);
  std::vector<std::uint64_t> outerSerials;
  for (int i = 0; i < 20000; ++i) {
    outerSerials.push_back(serial);
    *outer.push() = {1, serial++};
    for (std::size_t lane : {std::size_t{2}, std::size_t{40}, std::size_t{200}}) {
      Arena::Run<Item> inner(arena, lane);
      const std::uint64_t first = serial;
      const std::size_t count = static_cast<std::size_t>(i % 7);
      for (std::size_t k = 0; k < count; ++k) *inner.push() = {lane, serial++};
      committed.push_back({inner.commit(count), count, lane, first});
    }
  }
  // The items of the open run moved with it, and nothing else moved.
  ASSERT_EQ(outer.size(), outerSerials.size());
  const Item* outerItems = outer.commit(outer.size());
  for (std::size_t i = 0; i < outerSerials.size(); ++i) {
    ASSERT_EQ(outerItems[i].lane, 1u);
    ASSERT_TRUE(outerItems[i].intact());
    ASSERT_EQ(outerItems[i].serial, outerSerials[i]);
  }
  expectIntact(committed);
}

TEST(ArenaLanes, AnUncommittedRunLeavesTheLaneAsItWas) {
  Arena arena;
  const Item* abandoned = nullptr;
  {
    Arena::Run<Item> run(arena, 3);
    for (int i = 0; i < 5; ++i) *run.push() = Item(3, 99);
    abandoned = run.begin();
  }
  Arena::Run<Item> next(arena, 3);
  *next.push() = {3, 1};
  EXPECT_EQ(next.begin(), abandoned);
  const Item* kept = next.commit(1);
  Arena::Run<Item> after(arena, 3);
  *after.push() = {3, 2};
  EXPECT_EQ(after.begin(), kept + 1);
  EXPECT_EQ(kept->serial, 1u);
}

// Per lane a container that needs a block of its own, then a big one that
// makes the lane move on from that block.
void fill(Arena& arena, std::size_t items) {
  for (std::size_t lane = 1; lane <= 3; ++lane) {
    Arena::Run<Item> small(arena, lane);
    for (std::uint64_t i = 0; i < 300; ++i) *small.push() = {lane, i};
    small.commit(300);
    Arena::Run<Item> run(arena, lane);
    for (std::size_t i = 0; i < items; ++i) *run.push() = {lane, i};
    run.commit(items);
  }
}

TEST(ArenaReuse, ResetKeepsTheMemoryForADocumentOfTheSameShape) {
  Arena arena;
  fill(arena, 50000);
  const std::size_t grown = arena.reservedBytes();
  ASSERT_GT(grown, 3 * 50000 * sizeof(Item));
  arena.reset();
  fill(arena, 50000);
  // Blocks a lane moved away from while growing were given back; what is
  // kept is one block per lane, enough for the same document again.
  const std::size_t kept = arena.reservedBytes();
  EXPECT_LT(kept, grown);
  for (int round = 0; round < 3; ++round) {
    arena.reset();
    fill(arena, 50000);
    EXPECT_EQ(arena.reservedBytes(), kept) << "round " << round;
  }
}

TEST(ArenaReuse, AnArenaThatGrewPastTheLimitGivesEverythingBack) {
  Arena arena;
  fill(arena, Arena::kMaximumKeptBytes / sizeof(Item) / 2);
  ASSERT_GT(arena.reservedBytes(), Arena::kMaximumKeptBytes);
  arena.reset();
  EXPECT_EQ(arena.reservedBytes(), 0u);
  fill(arena, 10);
  EXPECT_GT(arena.reservedBytes(), 0u);
}

}  // namespace
}  // namespace json
