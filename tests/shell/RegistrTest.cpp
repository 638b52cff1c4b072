// The fill-only-what-is-missing rule of the file-type association, over a registry in memory.
#include <gtest/gtest.h>

#include "MemoryRegistry.h"
#include "Win1252.h"

namespace {
const std::string kExe = "/opt/Tirelo V/tirelo";
}

TEST(RegisterFileType, FirstRunCreatesExtensionTypeCommandVerbAndIcon) {
  MemoryRegistry reg;
  EXPECT_TRUE(RegisterFileType(reg, ".evd", "Vokabel-Datei", kExe));
  EXPECT_TRUE(RegisterFileType(reg, ".le", "Lektion/Lerneinheit", kExe));
  EXPECT_EQ(reg.Value(".evd"), "Vokabel-Datei");
  EXPECT_EQ(reg.Value("Vokabel-Datei"), "Vokabel-Datei");
  EXPECT_EQ(reg.Value("Vokabel-Datei\\shell\\open\\command"), "/opt/Tirelo V/tirelo \"%1\"");
  EXPECT_EQ(reg.Value("Vokabel-Datei\\shell\\open"), A("&Öffnen"));
  EXPECT_EQ(reg.Value("Vokabel-Datei\\DefaultIcon"), "/opt/Tirelo V/tirelo,0");
  EXPECT_EQ(reg.Value(".le"), "Lektion/Lerneinheit");
  EXPECT_EQ(reg.Value("Lektion/Lerneinheit\\shell\\open\\command"), "/opt/Tirelo V/tirelo \"%1\"");
  EXPECT_EQ(reg.Value("Lektion/Lerneinheit"), "Lektion/Lerneinheit");
}

TEST(RegisterFileType, SecondRunWritesNothingAlsoFromAnotherFolder) {
  MemoryRegistry reg;
  RegisterFileType(reg, ".evd", "Vokabel-Datei", kExe);
  const auto before = reg.keys;
  reg.writes.clear();
  EXPECT_TRUE(RegisterFileType(reg, ".evd", "Vokabel-Datei", "/elsewhere/tirelo"));
  EXPECT_TRUE(reg.writes.empty());
  EXPECT_EQ(reg.keys, before);
}

TEST(RegisterFileType, ExtensionOfAnotherProgramWithCommandStaysUnchanged) {
  MemoryRegistry reg;
  reg.keys[".evd"] = "Other.Document";
  reg.keys["Other.Document"] = "Anderes Dokument";
  reg.keys["Other.Document\\shell"] = std::nullopt;
  reg.keys["Other.Document\\shell\\open"] = std::nullopt;
  reg.keys["Other.Document\\shell\\open\\command"] = "other.exe %1";
  const auto before = reg.keys;
  EXPECT_TRUE(RegisterFileType(reg, ".evd", "Vokabel-Datei", kExe));
  EXPECT_EQ(reg.keys, before);
}

TEST(RegisterFileType, EmptyCommandOfAnotherProgIdIsFilledIn) {
  MemoryRegistry reg;
  reg.keys[".evd"] = "Other.Document";
  EXPECT_TRUE(RegisterFileType(reg, ".evd", "Vokabel-Datei", kExe));
  EXPECT_EQ(reg.Value(".evd"), "Other.Document");
  EXPECT_EQ(reg.Value("Other.Document\\shell\\open\\command"), kExe + " \"%1\"");
  EXPECT_EQ(reg.Value("Vokabel-Datei"), "<none>");
}

TEST(RegisterFileType, ExistingCommandWithoutIconStaysWithoutIcon) {
  MemoryRegistry reg;
  reg.keys[".evd"] = "Vokabel-Datei";
  reg.keys["Vokabel-Datei\\shell\\open\\command"] = "/old/tirelo \"%1\"";
  EXPECT_TRUE(RegisterFileType(reg, ".evd", "Vokabel-Datei", kExe));
  EXPECT_EQ(reg.Value("Vokabel-Datei\\DefaultIcon"), "<none>");
  EXPECT_EQ(reg.Value("Vokabel-Datei\\shell\\open\\command"), "/old/tirelo \"%1\"");
  EXPECT_TRUE(reg.writes.empty());
}

TEST(RegisterFileType, FailuresEndWithFalseOrStopQuietly) {
  MemoryRegistry noRights;
  noRights.failOpen.insert(".evd");
  EXPECT_FALSE(RegisterFileType(noRights, ".evd", "Vokabel-Datei", kExe));
  EXPECT_TRUE(noRights.keys.empty());

  MemoryRegistry readOnly;
  readOnly.failWrite.insert(".evd");
  EXPECT_FALSE(RegisterFileType(readOnly, ".evd", "Vokabel-Datei", kExe));
  EXPECT_EQ(readOnly.Value("Vokabel-Datei\\shell\\open\\command"), "<none>");

  MemoryRegistry noCommand;
  noCommand.failOpen.insert("Vokabel-Datei\\shell\\open\\command");
  EXPECT_TRUE(RegisterFileType(noCommand, ".evd", "Vokabel-Datei", kExe));
  EXPECT_EQ(noCommand.Value("Vokabel-Datei\\DefaultIcon"), "<none>");

  MemoryRegistry iconDenied;
  iconDenied.failWrite.insert("Vokabel-Datei\\DefaultIcon");
  EXPECT_FALSE(RegisterFileType(iconDenied, ".evd", "Vokabel-Datei", kExe));
}
