#pragma once

// The texts of a table of new names: why a row cannot be renamed, the refusal of a table in error, and the
// messages of reading a table file. Exactly as the user sees them.

namespace filarion::engine::texts {

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
