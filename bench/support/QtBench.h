#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

// A private home folder for the whole run, made on first use: the user's
// defaults (window sizes, toolbars, the delay's maximum) neither shape the
// figures nor get rewritten by them.
inline const std::string& BenchHome() {
  static const std::string home = [] {
    std::string dir = std::filesystem::temp_directory_path() / "atelo-bench-XXXXXX";
    const std::string made = mkdtemp(dir.data()) ? dir : "/tmp";
    setenv("HOME", made.c_str(), 1);
    return made;
  }();
  return home;
}

// Runs the registered benchmarks inside a widget application, offscreen
// unless a platform is named, with the private home.
inline int RunQtBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  BenchHome();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
