#pragma once

// The rename engine's own texts: messages and log-line pieces, exactly as the user sees them.

namespace filarion::engine::texts {

inline constexpr char16_t kNoFindText[] = u"没有输入替换内容！";
inline constexpr char16_t kNoFillText[] = u"没有输入补齐所用字符！";
inline constexpr char16_t kIllegalChar[] = u"文件名不能包含下列任何字符 / \\ : * ? < > | \"";
inline constexpr char16_t kFillNotSingle[] = u"只能用单一字符补齐文件名！";
inline constexpr char16_t kPositionNotInteger[] = u"插入位置值只能是整数！";

inline constexpr char16_t kLogFileName[] = u"QuillmarkLog.txt";
inline constexpr char16_t kLogHeaderEnd[] = u" Quill Mark Log:";
inline constexpr char16_t kRenamedTo[] = u"改名为";
inline constexpr char16_t kLineDone[] = u"！";
inline constexpr char16_t kLineNameTaken[] = u"，因重名未执行！";
inline constexpr char16_t kLineIllegal[] = u"，因非法未执行！";
inline constexpr char16_t kLineFailed[] = u"，因出错未执行！";

inline constexpr char16_t kNameTakenBefore[] = u"改名后与";
inline constexpr char16_t kNameTakenAfter[] = u"同名,故保留原名!";
inline constexpr char16_t kEmptyNameAfter[] = u"改名后为空名,故保留原名!";
// A folder whose file system offers no rename that refuses to replace a file: nothing is renamed.
inline constexpr char16_t kNoSafeRename[] = u"此文件夹所在的文件系统无法保证改名不覆盖已有文件，未执行改名！";
inline constexpr char16_t kLogNotWritable[] = u"无法写入日记文件QuillmarkLog.txt，未执行改名！";
inline constexpr char16_t kAnotherRunGoingOn[] = u"此文件夹中另有改名正在进行，请稍后再试！";

// The undo of the last run; %1 is a count in plain decimal.
inline constexpr char16_t kUndoQuestion[] = u"将把上次改名的 %1 个文件改回原名，是否继续？";
inline constexpr char16_t kNothingToUndo[] = u"日记文件中没有可撤销的改名！";
inline constexpr char16_t kUndoIncomplete[] = u"有 %1 个文件未能改回原名，详见日记文件QuillmarkLog.txt！";

// A table of new names (rows, refusal, temporary name, table files).
// Why a row is in error, as the result column and the refusal say it.
inline constexpr char16_t kRowEmpty[] = u"新文件名为空";
inline constexpr char16_t kRowIllegalChar[] = u"新文件名含有文件名不能包含的字符";
inline constexpr char16_t kRowNotGbk[] = u"新文件名含有日记文件无法记录的字符";
inline constexpr char16_t kRowTooLong[] = u"新文件名太长";
inline constexpr char16_t kRowHidden[] = u"新文件名以点开头，会成为隐藏文件";
inline constexpr char16_t kRowReserved[] = u"新文件名是日记文件或本程序的文件名";
inline constexpr char16_t kRowNotRenamed[] = u"此文件不改名";
inline constexpr char16_t kRowDuplicate[] = u"与另一行的新文件名相同";
inline constexpr char16_t kRowTakenOutside[] = u"新文件名已被表外的文件占用";
inline constexpr char16_t kRowMissing[] = u"原文件已不在文件夹中";
inline constexpr char16_t kRowUnchanged[] = u"不变";
inline constexpr char16_t kRowRenamed[] = u"改名";
inline constexpr char16_t kRowSkipped[] = u"跳过";

// A table with a row in error renames nothing; %1 is the row's number (from 1), %2 its reason.
inline constexpr char16_t kTableRefused[] = u"改名表第 %1 行：%2，未执行改名！";

// The temporary name through which a cycle of renames passes; %1 is a number from 1.
inline constexpr char16_t kTemporaryName[] = u"Filarion改名中转-%1.tmp";

// Reading a table file. %1 is a line number (from 1), %2 a count.
inline constexpr char16_t kTableUnreadable[] = u"无法读取改名表文件！";
inline constexpr char16_t kTableNoRow[] = u"改名表第 %1 行的原文件名不在列表中，未导入！";
inline constexpr char16_t kTableTwice[] = u"改名表第 %1 行的原文件名在前面已出现过，未导入！";
inline constexpr char16_t kTableLineCount[] = u"改名表只有一列，共 %1 行，与列表的 %2 个文件不一致，未导入！";
inline constexpr char16_t kTableMixed[] = u"改名表第 %1 行与其他行的列数不同，未导入！";
inline constexpr char16_t kTableNotWritten[] = u"无法写入改名表文件！";

} // namespace filarion::engine::texts
