#pragma once

// The list export's own texts, exactly as the user sees them.

namespace filarion::listing::texts {

inline constexpr char16_t kNoListName[] = u"没有输入清单文本名称！";
inline constexpr char16_t kOverwriteQuestionEnd[] = u" 已存在，是否覆盖？";
inline constexpr char16_t kHeaderEnd[] = u"文件清单：";
inline constexpr char16_t kWriteFailed[] = u"清单文件写入失败！";

// Added to a typed list name that does not already end in it (letter case ignored).
inline constexpr char16_t kListExtension[] = u".txt";

} // namespace filarion::listing::texts
