#pragma once

// The command line's own texts, exactly as the user sees them. The messages of the commands themselves are
// the window's (engine/texts.h, listing/texts.h, ui_core/texts.h).

namespace filarion::cli::texts {

inline constexpr char16_t kProgram[] = u"filarion-cli";
// %1: the version.
inline constexpr char16_t kVersion[] = u"filarion-cli %1\nFilarion 文件批量改名的命令行版本，无需图形显示。\n";

// One source line per line of the help, however long: the format check leaves it as it is.
// clang-format off
inline constexpr char16_t kHelp[] =
    u"用法：filarion-cli 命令 文件夹 [选项] [参数…]\n"
    u"对文件夹内与文件类型相符的全部文件一次性改名、生成文件清单或撤销上次改名，与 Filarion 窗口做法相同；\n"
    u"改名记入文件夹内的日记文件QuillmarkLog.txt。\n"
    u"\n"
    u"命令：\n"
    u"  replace 文件夹 -p 文件类型 替换前 替换后   将文件名内的“替换前”替换为“替换后”\n"
    u"  number  文件夹 -p 文件类型 词头            加词头对文件顺序编号\n"
    u"  fill    文件夹 -p 文件类型 补齐字符        用补齐字符将文件名按最长的补齐\n"
    u"  insert  文件夹 -p 文件类型 字符串 位置     在第“位置”个字符后插入字符串\n"
    u"  list    文件夹 -p 文件类型 清单名          生成文件清单\n"
    u"  undo    文件夹                             撤销上次改名\n"
    u"  table   文件夹 -p 文件类型 改名表文件      按改名表（每行“原文件名<TAB>新文件名”，或每行一个新名）改名\n"
    u"\n"
    u"选项：\n"
    u"  -p, --pattern 文件类型  如 *.JPG；多个用分号隔开，如 *.JPG;*.png\n"
    u"  -n, --dry-run           只显示改名预览（原名、新名、结果），不改动任何文件\n"
    u"      --json              每个文件输出一行 JSON\n"
    u"  -q, --quiet             只输出错误\n"
    u"  -y, --yes               问题一律回答“是”（覆盖清单文件、撤销上次改名）\n"
    u"      --no-extension      清单中文件名不带后缀（list 命令）\n"
    u"  -h, --help              显示本帮助并退出\n"
    u"      --version           显示版本信息并退出\n"
    u"\n"
    u"退出状态：0 完成（没有相符的文件也算）；1 未改名即拒绝；2 中途停止或有文件未改名。\n"
    u"详见 man filarion-cli。\n";
// clang-format on

// Errors of the command line itself; every one is followed by kSeeHelp. %1: the word as given.
inline constexpr char16_t kNoCommand[] = u"没有给出命令！";
inline constexpr char16_t kUnknownCommand[] = u"未知的命令：%1！";
inline constexpr char16_t kUnknownOption[] = u"未知的选项：%1！";
inline constexpr char16_t kMissingValue[] = u"选项 %1 缺少取值！";
// %1: the command, %2: its syntax.
inline constexpr char16_t kWrongArguments[] = u"命令 %1 的参数不对，应为：filarion-cli %1 %2";
inline constexpr char16_t kNoPattern[] = u"没有给出文件类型（-p 文件类型）！";
// %1: the option, %2: the command.
inline constexpr char16_t kOptionNotFor[] = u"选项 %1 不能用于命令 %2！";
inline constexpr char16_t kSeeHelp[] = u"用法见 filarion-cli --help。";

// %1: the folder as given.
inline constexpr char16_t kFolderUnreadable[] = u"无法读取文件夹%1！";
inline constexpr char16_t kNoGbk[] = u"本机的 Qt 没有 GBK 编码（缺少 ICU），无法写日记文件！";

// A question on a terminal, and its refusal without one. %1: the question.
inline constexpr char16_t kAnswerPrompt[] = u"（是 y／否 n）";
inline constexpr char16_t kQuestionRefused[] =
    u"标准输入不是终端，无法询问：%1\n已按“否”处理，未执行！如要回答“是”，请加 -y 选项。";

} // namespace filarion::cli::texts
