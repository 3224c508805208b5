// SPDX-License-Identifier: GPL-3.0-or-later
// The output tick runs every 50 ms on its own thread and must never allocate. The global
// allocation functions of this test program count the allocations made while counting is on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "output/OutputEngine.h"
#include "support/CallbackSink.h"

namespace {
thread_local bool counting = false;
thread_local long allocations = 0;

void* Allocate(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace kalvetro {
namespace {

struct Console {
  ShowState show;
  OutputFrames frames;
  OutputEngine engine{show, frames};
};

TEST(OutputTick, AllocatesNothingWithEveryLayerOn) {
  auto console = std::make_unique<Console>();
  ClearShowData(console->show);
  OutputControls& c = console->engine.Controls();
  for (int k = 0; k < kPictureCount; ++k) {
    console->show.memory.Set(PictureOffset(k) + k + 1, 1);
    c.pictures.SetPicture(k, true);
  }
  c.strips.manual = true;
  c.strips.fader[0] = 9;
  console->show.memory.Set(kSelectFlags + 1, 1);
  c.pad.priority = true;
  c.blackout.on = true;
  c.pictures.macroOut = true;
  long sent = 0;
  testing::CallbackSink sink([&sent](const OutputFrames&) { ++sent; });
  console->engine.AddSink(&sink);

  // The counter itself works.
  counting = true;
  auto probe = std::make_unique<int>(1);
  counting = false;
  ASSERT_EQ(allocations, 1);
  allocations = 0;

  counting = true;
  for (int mode = -1; mode <= 2; ++mode) {
    c.crossfade.mode = mode;
    for (bool playing : {false, true}) {
      console->show.playing = playing;
      console->engine.Tick();
    }
  }
  counting = false;
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(sent, 8);
}

}  // namespace
}  // namespace kalvetro
