#pragma once

// The main window's own texts: captions, items, messages and the help text, exactly as the user sees them.
// An ampersand in a caption marks the access key that follows it.

namespace filarion::ui_core::texts {

inline constexpr char16_t kAppTitle[] = u"Filarion";

inline constexpr char16_t kTabRename[] = u"文件改名";
inline constexpr char16_t kTabList[] = u"文件清单";

inline constexpr char16_t kCaptionRename[] = u"确认改名&N";
inline constexpr char16_t kCaptionList[] = u"生成清单&C";
inline constexpr char16_t kCaptionExit[] = u"退出&X";

inline constexpr char16_t kOptReplace[] = u"左栏内字符替换为右栏";
inline constexpr char16_t kOptPrefix[] = u"加词头对文件顺序编号";
inline constexpr char16_t kOptFill[] = u"用以下字符补齐文件名";
inline constexpr char16_t kOptInsert[] = u"指定位置处插入字符串";
inline constexpr char16_t kLblPosition[] = u"第";
inline constexpr char16_t kLblInsert[] = u"字符后插入";

inline constexpr char16_t kLabName[] = u"清单文本存为：";
inline constexpr char16_t kOptPostfix[] = u"清单中文件名带后缀";
inline constexpr char16_t kOptNo[] = u"清单中文件名不带后缀";

// The pattern box's drop-down list, in this order, and the pattern it starts with.
inline constexpr const char16_t* kPatternItems[] = {u"*.txt", u"*.JPG", u"*.doc", u"*.BMP", u"*.*"};
inline constexpr char16_t kStartPattern[] = u"*.JPG";

inline constexpr char16_t kNoFiles[] = u"文件夹内没有可执行文件！";

// The file list's context menu, its tooltip, and the rename preview dialog. %1 to %4 are counts.
inline constexpr char16_t kMenuPreview[] = u"预览改名(&P)…";
inline constexpr char16_t kMenuUndo[] = u"撤销上次改名(&U)…";
inline constexpr char16_t kFileListTip[] = u"右键：预览改名、撤销上次改名";
inline constexpr char16_t kPreviewCaption[] = u"改名预览";
inline constexpr char16_t kPreviewOldName[] = u"原文件名";
inline constexpr char16_t kPreviewNewName[] = u"新文件名";
inline constexpr char16_t kPreviewResult[] = u"结果";
inline constexpr char16_t kPreviewCount[] = u"共 %1 个文件：改名 %2 个，保留原名 %3 个，跳过 %4 个";
inline constexpr char16_t kPreviewConfirm[] = u"确认改名(&N)";
inline constexpr char16_t kPreviewClose[] = u"关闭";
inline constexpr char16_t kResultRenamed[] = u"改名";
inline constexpr char16_t kResultUnchanged[] = u"不变";
inline constexpr char16_t kResultSameName[] = u"名称相同";
inline constexpr char16_t kResultSkipped[] = u"跳过";
inline constexpr char16_t kResultNameTaken[] = u"重名，保留原名";
inline constexpr char16_t kResultEmptyName[] = u"改名后为空名，保留原名";
inline constexpr char16_t kResultRefused[] = u"无法改名";
// The preview as a table of new names: its count line (%1 all, %2 renamed, %3 unchanged, %4 skipped, %5 in
// error), its buttons, the mark of an edited row, and the refusal of a paste (%1 lines, %2 rows from the current
// one on).
inline constexpr char16_t kTableCount[] = u"共 %1 个文件：改名 %2 个，不变 %3 个，跳过 %4 个，有错 %5 个";
inline constexpr char16_t kTableExport[] = u"导出改名表(&E)…";
inline constexpr char16_t kTableImport[] = u"导入改名表(&I)…";
inline constexpr char16_t kTableFileFilter[] = u"改名表 (*.txt);;所有文件 (*)";
inline constexpr char16_t kTableExported[] = u"改名表已导出。";
inline constexpr char16_t kTableImported[] = u"改名表已导入。";
inline constexpr char16_t kRowEdited[] = u"已编辑";
inline constexpr char16_t kPasteTooMany[] = u"剪贴板中有 %1 行，多于当前行起的 %2 行，未粘贴！";
inline constexpr char16_t kTableInError[] = u"有错的行在“结果”一栏中注明原因，改正后才能确认改名。";

// What a screen reader says for the controls that carry no caption of their own: the field or list by what
// it holds or by the caption of its option or label.
inline constexpr char16_t kNameDrives[] = u"驱动器";
inline constexpr char16_t kNameFolders[] = u"文件夹";
inline constexpr char16_t kNameFiles[] = u"文件";
inline constexpr char16_t kNamePattern[] = u"文件类型";
inline constexpr char16_t kNameFunctions[] = u"功能";
inline constexpr char16_t kNameRenameFrame[] = u"改名方式";
inline constexpr char16_t kNameListFrame[] = u"清单选项";
inline constexpr char16_t kNameReplaceS[] = u"替换前";
inline constexpr char16_t kNameReplaceT[] = u"替换后";
inline constexpr char16_t kNamePrefix[] = u"词头";
inline constexpr char16_t kNameFill[] = u"补齐字符";
inline constexpr char16_t kNamePosition[] = u"插入位置：第几个字符后";
inline constexpr char16_t kNameInsert[] = u"插入的字符串";
inline constexpr char16_t kNameListName[] = u"清单文本存为";
inline constexpr char16_t kNameHelp[] = u"使用说明";
inline constexpr char16_t kNameHelpScrollBar[] = u"使用说明滚动条";
inline constexpr char16_t kNameProgress[] = u"进度";

// The command line: the help's description, options and argument, the error for a second folder, and the
// message for a start folder that cannot be opened (%1: the folder as given).
inline constexpr char16_t kCliDescription[] =
    u"Filarion 文件批量改名：对同一文件夹内的大批量文件一次性改名，或生成文件清单。\n"
    u"改名记入文件夹内的日记文件QuillmarkLog.txt，详见 man filarion。";
inline constexpr char16_t kCliHelpOption[] = u"显示本帮助并退出。";
inline constexpr char16_t kCliVersionOption[] = u"显示版本信息并退出。";
inline constexpr char16_t kCliFolderName[] = u"文件夹";
inline constexpr char16_t kCliFolderSyntax[] = u"[文件夹]";
inline constexpr char16_t kCliFolderHelp[] = u"启动时打开的文件夹；给出文件时，打开文件所在的文件夹。";
inline constexpr char16_t kCliOneFolderOnly[] = u"只能给出一个文件夹！";
inline constexpr char16_t kStartFolderFailed[] = u"无法打开文件夹%1，从当前文件夹开始！";
// Standard error, when no display can be reached to open the window on.
inline constexpr char16_t kNoDisplay[] = u"无法连接图形显示，请在桌面环境中运行 Filarion。";

// The help box's text: 23 lines, each ending in CR LF.
// One source line per line of the help text, however long: the format check leaves it as it is.
// clang-format off
inline constexpr char16_t kHelpText[] =
    u"一、功能：\r\n"
    u"  1.对同一文件夹内的大批量的文件进行一次性改名；\r\n"
    u"  2.对同一文件夹内的大批量的文件建立清单。\r\n"
    u"二、改名方式：\r\n"
    u"  1.将所有文件名内的某种统一字符串进行替换(上栏内字符替换为下栏)，比如，有autocad.JPG和Imagecad.JPG等文件，可以一次性将其中\"cad\"改为\"zet\"；\r\n"
    u"  2.设定某字符为文件名词头，将所有文件顺序编号作为文件名字，且文件名同长(加词头对文件顺序编号)，比如，zet000.txt、zet001.txt、zet002.txt等；\r\n"
    u"  3.在名字开始处，用给定的字符，将所有文件名按名字最长的补齐(用以下字符补齐文件名)，比如，1.txt、67.txt、126.txt改为001.txt、067.txt、126.txt。\r\n"
    u"  4.指定位置插入字符串，将对文件列表框内的所有文件进行。指定位置小于1，在名称开始处插入；指定位置大于名称长度，在名称末尾插入。比如，1.txt、67.txt、126.txt文件在第2个字符后插入\"zet\"，则结果为1zet.txt、67zet.txt、12zet6.txt。\r\n"
    u"三、清单文件：\r\n"
    u"  对于大量的文件，可以建立一个类似清单的目录文件，便于管理、检索，生成的清单文件存于操作目录下。\r\n"
    u"四、操作步骤：\r\n"
    u"  1.选择需要修改文件名的文件夹；\r\n"
    u"  2.选择需要修改的文件类型；\r\n"
    u"  3.选中某种改名方式；\r\n"
    u"  4.输入改名规则，确认改名。\r\n"
    u"五、注意事项：\r\n"
    u"  1.文件类型不可修改；\r\n"
    u"  2.文件名字不可出现非法字符(软件提示)；\r\n"
    u"  3.文件夹内符合条件的文件全部改名；\r\n"
    u"  4.子文件夹内文件名字不会改动；\r\n"
    u"  5.顺序编号改名时，按原文件排名次序进行；\r\n"
    u"  6.目标文件夹内自动生成日记文件QuillmarkLog.txt，记录改名历史；\r\n"
    u"  7.改名不可恢复；\r\n";
// clang-format on

} // namespace filarion::ui_core::texts
