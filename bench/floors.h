#pragma once

#include <string>
#include <vector>

namespace filarion::bench {

// The floors: the least work a program can do for each job, written straight against the system
// calls. Every measurement of ours is printed as a ratio to one of these, measured in the same run.

// The order a rename floor works in: the file list's (ASCII letter case ignored), which the rename
// run must keep because its log follows it, or the order readdir gives, which costs ext4 less.
enum class RenameOrder { List, Readdir };

// Lists the folder's names once and puts them in the order given, then renames every file with
// "cad" in its name to the name with "zet" in its place by renameat2(RENAME_NOREPLACE), and hands
// one GBK log line per rename ("old改名为new！" and CR LF) to the folder's QuillmarkLog.txt, opened
// with O_APPEND, by one write. Returns the number renamed.
//
// With LineSync::EveryLine the line goes first and through fdatasync before its rename: the least a
// program can do that puts each rename's line on the disk before the rename without batching.
enum class LineSync { None, EveryLine };
int renameFloor(const std::string& folder, RenameOrder order, LineSync sync = LineSync::None);

// Reads the folder with the entry type from the directory entry (a stat only for links and unknown
// types), keeps the regular files whose names are not hidden and match the wildcard pattern with
// ASCII letter case ignored, and sorts them with ASCII letter case ignored. Returns the number kept.
int listingFloor(const std::string& folder, const std::string& pattern);

// Writes a header line and one numbered line per name ("1.name" and CR LF) to a temporary file in
// the folder with one write, syncs it and renames it over listName. Returns the number of lines.
int listFileFloor(const std::string& folder, const std::string& listName, const std::vector<std::string>& names);

} // namespace filarion::bench
