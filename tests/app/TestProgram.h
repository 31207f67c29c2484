#pragma once
// The program as main() builds it, in a folder of its own that plays the executable's: the real settings
// steps, the shipped packs beside it when asked for, and the seams of AppTestSeams.h for its boxes.

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

#include "AppTestSeams.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/Skimplane_form.h"

// A settings file's Option block holding `values` ("Lang:packs\\English.lng").
inline std::string OptionBlock(std::initializer_list<std::string> values) {
  std::string text = "Option:[%RootKey%]\r\n[%\r\n";
  for (const auto& v : values) text += "  " + v + "\r\n";
  return text + "%]\r\n";
}

struct TProgram {
  TempDir dir;
  TSeamLog log;
  TProgram() { log.executable = QString::fromStdString((dir / "skimplane").string()); }
  // A pack's Qt language is the process's: it ends with the program, as it would with a real one.
  ~TProgram() { UseDefaultQtLanguage(); }
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;
  [[nodiscard]] std::filesystem::path Ini() const { return dir / "Skimplane.ini"; }
  // The shipped packs beside the executable, as the build puts them.
  void ShipPacks() const {
    std::filesystem::create_directories(dir / "packs");
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(SKIMPLANE_BIN_DIR) / "packs"))
      std::filesystem::copy_file(e.path(), dir / "packs" / e.path().filename());
  }
  std::unique_ptr<TfrmSkimplane> Start() {
    UseDefaultQtLanguage();
    TAppSeams seams = TestSeams(log);
    UseSettingsFile(seams, '.');
    return CreateMainWindow(std::move(seams));
  }
  // Starts with the shipped packs beside it and Skimplane.ini naming `pack` ("packs\\English.lng"); none
  // for nullptr or "".
  std::unique_ptr<TfrmSkimplane> StartInPack(const char* pack) {
    ShipPacks();
    if (pack && *pack) WriteBytes(Ini(), OptionBlock({std::string("Lang:") + pack}));
    return Start();
  }
};
