// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "show/IniFile.h"
#include "show/Settings.h"

namespace kalvetro {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kalvetro-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "Kalvo.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string ReadText() const {
    std::ifstream in(path_);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void WriteText(const std::string& text) const { std::ofstream(path_) << text; }

  fs::path dir_;
  std::string path_;
};

TEST_F(SettingsTest, MissingFileAndMissingKeysGiveEmptyValues) {
  Settings settings = ReadSettings(path_);
  for (const auto& name : settings.conveyorFiles) EXPECT_TRUE(name.empty());
  EXPECT_TRUE(settings.lastPath.empty());

  WriteText("[Konveir]\nFile03=/shows/three.klv\r\nfile20 = /shows/twenty.klv\n[Other]\nPath=x\n");
  settings = ReadSettings(path_);
  EXPECT_EQ(settings.conveyorFiles[2], "/shows/three.klv");
  EXPECT_EQ(settings.conveyorFiles[19], "/shows/twenty.klv");  // key names ignore case
  EXPECT_TRUE(settings.conveyorFiles[0].empty());
  EXPECT_TRUE(settings.lastPath.empty());  // "Path" of another section is not the last show
}

TEST_F(SettingsTest, WritesKeysInOrderAndReadsThemBack) {
  Settings settings;
  settings.conveyorFiles[0] = "/home/op/Шоу/Концерт.klv";
  settings.conveyorFiles[19] = "/last.klv";
  settings.conveyorTicks[0] = settings.conveyorTicks[2] = true;
  settings.lastPath = "/home/op/show=1.klv";
  settings.olaEnabled = true;
  settings.olaUniverse = 42;
  settings.sound.input = "alsa_output.usb-Звук.analog-stereo.monitor";
  ASSERT_TRUE(WriteSettings(path_, settings).ok);

  // The described sections first, exactly as always; the network output in its own section.
  std::string expected = "[Konveir]\nFile01=/home/op/Шоу/Концерт.klv\n";
  for (int k = 2; k <= 19; ++k) expected += ConveyorKey(k) + "=\n";
  expected += "File20=/last.klv\nTicks=10100000000000000000\n\n[LastFile]\n";
  expected += "Path=/home/op/show=1.klv\n";
  expected += "\n[NetworkDMX]\nOLA=1\nUniverse=42\n";
  expected +=
      "\n[Remote]\nOSC=0\nOSCPort=9000\nOSCBind=\nOSCAllow=" + std::string(kDefaultOscAllow);
  expected += "\nWeb=0\nWebPort=8080\nWebBind=\nWebPIN=\n";
  expected += "\n[MIDI]\nOn=0\nAPI=alsa\nIn=\nOut=\nMaps=0\n";
  expected +=
      "\n[Sound]\nSource=0\nPulseLoss=0\nInput=alsa_output.usb-Звук.analog-stereo.monitor\n";
  EXPECT_EQ(ReadText(), expected);

  const Settings back = ReadSettings(path_);
  EXPECT_EQ(back.conveyorFiles, settings.conveyorFiles);
  EXPECT_EQ(back.conveyorTicks, settings.conveyorTicks);
  EXPECT_EQ(back.lastPath, settings.lastPath);  // '=' inside a value survives
  EXPECT_TRUE(back.olaEnabled);
  EXPECT_EQ(back.olaUniverse, 42);
  EXPECT_EQ(back.sound.input, settings.sound.input);

  // A universe outside 1..65535 or not a number reads as the default.
  WriteText("[NetworkDMX]\nOLA=1\nUniverse=70000\n");
  EXPECT_EQ(ReadSettings(path_).olaUniverse, 1);
  WriteText("[NetworkDMX]\nUniverse=7x\n");
  EXPECT_EQ(ReadSettings(path_).olaUniverse, 1);
  EXPECT_FALSE(ReadSettings(path_).olaEnabled);
}

TEST_F(SettingsTest, RemoteSettingsRoundTripAndBadValuesReadAsDefaults) {
  Settings settings;
  settings.remote = {true, 9001, true, 8081, "192.168.1.5", "0042", {}, "10.0.0.2", "10.0.0.0/8"};
  ASSERT_TRUE(WriteSettings(path_, settings).ok);
  EXPECT_EQ(ReadSettings(path_).remote, settings.remote);
  // A PIN keeps its leading zeros; a bad port or PIN falls back to the default.
  WriteText("[Remote]\nOSC=1\nOSCPort=0\nWebPort=65536\nWebPIN=123\n");
  const RemoteSettings bad = ReadSettings(path_).remote;
  EXPECT_TRUE(bad.oscOn);
  EXPECT_EQ(bad.oscPort, 9000);
  EXPECT_EQ(bad.webPort, 8080);
  EXPECT_EQ(bad.webPin, "");
  // No OSC list in the file is the default list, not an empty one that would allow nobody.
  EXPECT_EQ(bad.oscAllow, kDefaultOscAllow);
  for (const char* pin : {"12a4", "123456789", "", "12 34"}) EXPECT_FALSE(ValidPin(pin)) << pin;
  for (const char* pin : {"1234", "00000000"}) EXPECT_TRUE(ValidPin(pin)) << pin;
}

TEST_F(SettingsTest, MidiDeskRoundTripsAndFewerMappingsLeaveNoOldOnesBehind) {
  Settings settings;
  MidiSettings& midi = settings.remote.midi;
  midi = {true,
          "jack",
          "Desk:controls",
          "Desk:lights",
          {"cc 1 7 channel 12", "note 10 36 next", "note 1 2 flash 3"}};
  ASSERT_TRUE(WriteSettings(path_, settings).ok);
  EXPECT_EQ(ReadSettings(path_).remote, settings.remote);
  // Written again with one mapping: the old second and third lines are not read back.
  midi.mappings = {"note 1 1 play"};
  ASSERT_TRUE(WriteSettings(path_, settings).ok);
  EXPECT_EQ(ReadSettings(path_).remote.midi.mappings, midi.mappings);
  // A back end not known and a bad count read as the defaults.
  WriteText("[MIDI]\nOn=1\nAPI=coreaudio\nMaps=-4\nMap1=cc 1 1 tempo\n");
  const MidiSettings bad = ReadSettings(path_).remote.midi;
  EXPECT_TRUE(bad.on);
  EXPECT_EQ(bad.api, "alsa");
  EXPECT_TRUE(bad.mappings.empty());
}

TEST_F(SettingsTest, WritingKeepsOtherSectionsOfTheFile) {
  WriteText("[LastFile]\nPath=/old.klv\nZoom=3\n[Extra]\nA=1\n");
  Settings settings;
  settings.lastPath = "/new.klv";
  ASSERT_TRUE(WriteSettings(path_, settings).ok);
  const IniFile ini = IniFile::Load(path_);
  EXPECT_EQ(ini.Value("LastFile", "Path"), "/new.klv");
  EXPECT_EQ(ini.Value("LastFile", "Zoom"), "3");
  EXPECT_EQ(ini.Value("Extra", "A"), "1");
}

TEST_F(SettingsTest, TheFileIsPrivateAndAValueWithLineBreaksStaysOneValue) {
  // An older file readable by everyone becomes private with the next write: it holds the PIN.
  WriteText("[Remote]\nWebPIN=1234\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  Settings settings;
  // A show file name may hold line breaks, brackets and backslashes: a planted section, a
  // second key and a PIN must not come out of it.
  settings.lastPath = "/shows/a\n[Remote]\nWebPIN=0000\r\nOSCAllow=0.0.0.0/0\\n\\.klv";
  settings.remote.webPin = "5678";
  ASSERT_TRUE(WriteSettings(path_, settings).ok);
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const Settings back = ReadSettings(path_);
  EXPECT_EQ(back.lastPath, settings.lastPath);
  EXPECT_EQ(back.remote.webPin, "5678");
  EXPECT_EQ(back.remote.oscAllow, kDefaultOscAllow);
  std::ifstream in(path_);
  int remoteSections = 0;
  for (std::string line; std::getline(in, line);) remoteSections += line == "[Remote]";
  EXPECT_EQ(remoteSections, 1);
  // A value written before escaping existed, with a lone backslash, reads as it always did.
  WriteText("[LastFile]\nPath=C:\\Shows\\x.klv\n");
  EXPECT_EQ(ReadSettings(path_).lastPath, "C:\\Shows\\x.klv");
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFile) {
  Settings settings;
  const std::string missing = (dir_ / "no-such-folder" / "Kalvo.ini").string();
  const Result result = WriteSettings(missing, settings);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Path not found");
}

}  // namespace
}  // namespace kalvetro
