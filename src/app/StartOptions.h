// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "output/OutputControls.h"

namespace kalvetro {

// How the console is started: what the command line asks of the window and of the headless
// player alike. Empty paths mean the user's folders; unset values leave the settings' choice.
struct StartOptions {
  // Where the console finds its port and files.
  QString port;             // --port; empty: the default port (the player: no serial output)
  QString showFile;         // SHOW.klv: opened after the last show of the settings
  QString settingsFile;     // default: "Kalvo.ini" in the user's config folder
  QString autosaveFile;     // default: "ShouTemp.klv" in the user's data folder
  int olaUniverse = 0;      // --ola 1..65535: network output to this universe (over the settings)
  bool startOutput = true;  // start the 50 ms output at once (tests tick by hand)

  // What is played, for this run only (the settings keep their own choices).
  bool play = false;                                  // --play: start playing at once
  std::array<bool, kAutomatCount> automatWithShow{};  // --automat N: runs as "С основным"
  std::array<bool, kPictureCount> latchedPictures{};  // --picture N: latched for the run
  std::optional<int> crossfadeMode;                   // --crossfade sliders|automat|off
  std::optional<int> oscPort;                         // --osc PORT: OSC remote on this port
  std::optional<int> webPort;                         // --web PORT: the phone page on
  QString midiPort;    // --midi PORT-NAME: a MIDI desk on ports of that name
  QString soundInput;  // --sound-input NAME: listen to the audio input of that name

  // The headless player (--headless): no window, plays until stopped.
  bool headless = false;
  int seconds = 0;        // --seconds N: stop after N seconds (0: until stopped)
  bool sound = false;     // --sound: step on the sound of the audio input (soundInput, else the
                          // default; none: tempo pacing)
  bool beat = false;      // --sound beat: on the beats of the music, not the level's peaks
  bool conveyor = false;  // --conveyor: play the conveyor list of the window's settings
};

}  // namespace kalvetro
