#pragma once
// Start-up steps every benchmark of the window half repeats.

#include <string>

namespace zelk::bench {

// The desktop's locale settings, read as the program reads them at start-up.
void LoadDesktopLocale();
// Makes dir the one volume of the table, under letter, so a scan of that letter walks it.
void InstallOneVolume(char letter, const std::string& dir);
// The scans the window keeps go to a folder of this run's own, removed at exit.
void KeepScansApart();

}  // namespace zelk::bench
