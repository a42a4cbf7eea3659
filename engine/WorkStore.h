#pragma once

#include "SizeClass.h"

#include <array>
#include <string>

namespace quilder {

// Scan folders by class order: P/scanned/t ... P/scanned/h. The scanner and the find job reach
// the scan folders only through this table.
extern std::array<std::string, kClassCount> ScanFolderPaths;

// Fills ScanFolderPaths from the program folder P (no trailing separator). Touches no disk.
void InitWorkStorePaths(const std::string& programFolder);
const std::string& ProgramFolder();

std::string ScanStorePath();                 // P/scanned
std::string CompareStorePath();              // P/compared
std::string GroupFolderPath(int classOrder); // P/compared/<code>

// Make P/scanned (or P/compared) exist, empty, with its seven class folders. Each step that
// fails is skipped.
void ResetScanStore();
void ResetCompareStore();

} // namespace quilder
