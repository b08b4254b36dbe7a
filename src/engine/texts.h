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

} // namespace filarion::engine::texts
