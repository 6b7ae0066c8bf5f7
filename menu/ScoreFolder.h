#pragma once
// Where highscore.txt lives. A copy run from a folder it may write to (the
// portable case) keeps the table beside itself; an installed copy, whose
// folder it cannot write or which carries the installer's marker, keeps it in
// the player's own data folder. Plain C++ over POSIX files, decided once at
// start.

#include <string>

namespace menu {

// A file of this name in the program folder marks an installed copy, so even
// a user who could write there (root) keeps the table in the per-user folder.
inline constexpr char kInstalledMarker[] = "installed";

// The table's file name, in whichever folder holds it.
inline constexpr char kTableFileName[] = "highscore.txt";

// The folder to read and write highscore.txt in: programFolder while it is
// writable and unmarked; otherwise userFolder, created with its parents. When
// userFolder is empty or cannot be created, the program folder is used as
// before (and its failures are reported as before).
std::string ChooseScoreFolder(const std::string& programFolder, const std::string& userFolder);

// Gives a chosen per-user folder that has no table yet a byte-for-byte copy of
// the program folder's highscore.txt, written as a save is (atomic and
// durable), so a power cut never leaves an empty table. Call it holding the
// folder's lock, so two first starts never write it at once. Nothing happens
// when scoreFolder is the program folder or already has a table; a table
// that cannot be copied is left to the defaults written for a missing file.
void SeedScoreTable(const std::string& programFolder, const std::string& scoreFolder);

// True when a file can be created in the folder: a probe file is created and
// removed again, the very operation a save needs, so read-only mounts, ACLs
// and root are all answered truly.
bool FolderIsWritable(const std::string& folder);

}  // namespace menu
