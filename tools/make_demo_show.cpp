// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the demo show that ships with the console: two moving heads and six dimmers with
// named channels, twelve scenes that read as a short show, static pictures on keys 1..4, both
// automats set up on the dimmers, and a window colour of its own. The output depends on
// nothing but this file, so every build writes the same bytes.
//
//   make_demo_show OUT.klv
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "editing/ChannelNames.h"
#include "effects/StaticPictures.h"
#include "show/ShowFile.h"
#include "show/ShowState.h"

namespace kalvetro {
namespace {

// Channel plan: head 1 on 1..6, head 2 on 7..12, dimmers on 13..18.
constexpr int kChannels = 18;
constexpr int kHead1 = 1;
constexpr int kHead2 = 7;
enum HeadChannel { kPan = 0, kTilt, kDimmer, kColour, kGobo, kShutter };
constexpr int kRampLeft = 13, kRampRight = 14, kBackdrop = 15, kBacklight = 16, kHouse = 17,
              kSmoke = 18;

constexpr std::array<std::string_view, kChannels> kNames = {
    "Голова1 Пан",
    "Голова1 Наклон",
    "Голова1 Яркость",
    "Голова1 Цвет",
    "Голова1 Гобо",
    "Голова1 Затвор",
    "Голова2 Пан",
    "Голова2 Наклон",
    "Голова2 Яркость",
    "Голова2 Цвет",
    "Голова2 Гобо",
    "Голова2 Затвор",
    "Рампа лев",
    "Рампа прав",
    "Задник",
    "Контра",
    "Зал",
    "Дым",
};

// Colour wheel and shutter positions of the heads.
constexpr std::uint8_t kWhite = 0, kRed = 32, kBlue = 64, kGreen = 96, kAmber = 128;
constexpr std::uint8_t kClosed = 0, kStrobe = 200, kOpen = 255;

// One scene: the heads (pan, tilt, dimmer, colour, gobo, shutter each) and the dimmers.
struct Scene {
  std::array<std::uint8_t, 6> head1;
  std::array<std::uint8_t, 6> head2;
  std::array<std::uint8_t, 6> dimmers;  // ramp left, ramp right, backdrop, backlight, house, smoke
};

// The show, scene by scene.
constexpr std::array<Scene, 12> kScenes = {{
    // 1: house lights, the audience comes in; heads parked and closed.
    {{128, 128, 0, kWhite, 0, kClosed}, {128, 128, 0, kWhite, 0, kClosed}, {0, 0, 0, 0, 200, 0}},
    // 2: house goes down, a blue glow on the backdrop.
    {{128, 128, 0, kBlue, 0, kClosed}, {128, 128, 0, kBlue, 0, kClosed}, {0, 0, 80, 0, 60, 0}},
    // 3: darkness and smoke.
    {{128, 128, 0, kBlue, 0, kClosed}, {128, 128, 0, kBlue, 0, kClosed}, {0, 0, 40, 0, 0, 160}},
    // 4: backdrop and backlight rise.
    {{128, 100, 0, kBlue, 0, kClosed}, {128, 100, 0, kBlue, 0, kClosed}, {0, 0, 200, 120, 0, 100}},
    // 5: entrance: both heads open white on centre stage, the ramps come up.
    {{128, 100, 255, kWhite, 0, kOpen},
     {128, 100, 255, kWhite, 0, kOpen},
     {150, 150, 160, 120, 0, 60}},
    // 6: heads apart, red.
    {{60, 80, 255, kRed, 0, kOpen}, {196, 80, 255, kRed, 0, kOpen}, {90, 90, 120, 200, 0, 60}},
    // 7: heads cross over, blue.
    {{196, 140, 255, kBlue, 0, kOpen}, {60, 140, 255, kBlue, 0, kOpen}, {90, 90, 200, 120, 0, 40}},
    // 8: gobos in green, strong backlight.
    {{150, 110, 230, kGreen, 64, kOpen},
     {106, 110, 230, kGreen, 64, kOpen},
     {80, 80, 60, 255, 0, 80}},
    // 9: strobing amber over a full backdrop.
    {{128, 90, 255, kAmber, 0, kStrobe},
     {128, 90, 255, kAmber, 0, kStrobe},
     {0, 0, 255, 180, 0, 40}},
    // 10: full stage.
    {{100, 120, 255, kWhite, 0, kOpen},
     {156, 120, 255, kWhite, 0, kOpen},
     {255, 255, 255, 255, 0, 0}},
    // 11: the bow: ramps full, heads on the front line.
    {{128, 128, 255, kWhite, 0, kOpen},
     {128, 128, 255, kWhite, 0, kOpen},
     {255, 255, 120, 200, 0, 0}},
    // 12: heads out, house lights up.
    {{128, 128, 0, kWhite, 0, kClosed}, {128, 128, 0, kWhite, 0, kClosed}, {0, 0, 0, 0, 200, 0}},
}};

void SetName(ShowMemory& memory, int channel, std::string_view utf8) {
  const Cp1251Text text = EncodeCp1251(utf8, kChannelNameLength);
  for (int i = 0; i < kChannelNameLength; ++i) {
    const std::uint8_t byte =
        i < static_cast<int>(text.bytes.size()) ? static_cast<std::uint8_t>(text.bytes[i]) : 0;
    memory.Set(NameOffset(channel) + i, byte);
  }
}

void SetPicture(ShowMemory& memory, int picture, int channel, std::uint8_t level) {
  memory.Set(PictureOffset(picture) + channel, kIncluded);
  memory.Set(PictureOffset(picture) + kPictureLevels + channel, level);
}

void SetAutomat(ShowMemory& memory, int base, int tempo, int firstChannel, int program,
                std::uint8_t bright, std::uint8_t dark) {
  memory.Set(base + kAutomatTempo, static_cast<std::uint8_t>(tempo));
  memory.Set(base + kAutomatChannel, static_cast<std::uint8_t>(firstChannel));
  memory.Set(base + kAutomatMode, static_cast<std::uint8_t>(program));
  memory.Set(base + kAutomatBright, bright);
  memory.Set(base + kAutomatDark, dark);
}

bool BuildDemoShow(ShowState& show) {
  ClearShowData(show);
  ShowMemory& m = show.memory;

  for (int n = 1; n <= kChannels; ++n) {
    const Cp1251Text check = EncodeCp1251(kNames[n - 1], kChannelNameLength);
    if (!check.Ok()) return false;
    SetName(m, n, kNames[n - 1]);
  }

  // Fade steps: smooth pan and tilt, quick dimmers, colour, gobo and shutter jump.
  for (int head : {kHead1, kHead2}) {
    m.Set(kRateRow + head + kPan, 4);
    m.Set(kRateRow + head + kTilt, 4);
    m.Set(kRateRow + head + kDimmer, 8);
  }
  for (int n = kRampLeft; n <= kSmoke; ++n) m.Set(kRateRow + n, 8);
  m.Set(kRateStep, 8);

  for (int s = 0; s < static_cast<int>(kScenes.size()); ++s) {
    const Scene& scene = kScenes[s];
    for (int i = 0; i < 6; ++i) {
      show.DataWrite(static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(kHead1 + i),
                     scene.head1[i]);
      show.DataWrite(static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(kHead2 + i),
                     scene.head2[i]);
      show.DataWrite(static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(kRampLeft + i),
                     scene.dimmers[i]);
    }
  }
  m.Set(kCurrentStep, 0);
  m.Set(kLastScene, static_cast<std::uint8_t>(kScenes.size() - 1));
  m.Set(kTempo, 60);  // 3.6 s a scene

  // Static pictures on keys 1..4: full front light, both heads white on centre, a house
  // blinder, and a burst of smoke.
  SetPicture(m, 0, kRampLeft, 255);
  SetPicture(m, 0, kRampRight, 255);
  SetPicture(m, 0, kBacklight, 255);
  for (int head : {kHead1, kHead2}) {
    SetPicture(m, 1, head + kPan, 128);
    SetPicture(m, 1, head + kTilt, 128);
    SetPicture(m, 1, head + kDimmer, 255);
    SetPicture(m, 1, head + kColour, kWhite);
    SetPicture(m, 1, head + kShutter, kOpen);
  }
  SetPicture(m, 2, kHouse, 255);
  SetPicture(m, 3, kSmoke, 255);

  // Automat 1 chases the ramps, backdrop and backlight; automat 2 the backdrop to the smoke.
  SetAutomat(m, kAutomat1, 12, kRampLeft - 1, 2, 220, 30);
  SetAutomat(m, kAutomat2, 20, kBackdrop - 1, 3, 255, 0);

  // A dark slate window colour.
  m.Set(kColourOn, 1);
  m.Set(kColourRed, 70);
  m.Set(kColourGreen, 84);
  m.Set(kColourBlue, 110);

  WriteIdentificationText(m);
  return true;
}

}  // namespace
}  // namespace kalvetro

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_show OUT.klv\n");
    return 2;
  }
  static kalvetro::ShowState show;
  if (!kalvetro::BuildDemoShow(show)) {
    std::fprintf(stderr, "make_demo_show: a channel name does not fit code page 1251\n");
    return 1;
  }
  const kalvetro::Result result = kalvetro::SaveShowFile(argv[1], show.memory);
  if (!result.ok) {
    std::fprintf(stderr, "make_demo_show: %s\n", result.error.c_str());
    return 1;
  }
  return 0;
}
