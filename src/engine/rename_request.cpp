#include "engine/rename_request.h"

#include "engine/name_helpers.h"
#include "engine/texts.h"

namespace filarion::engine {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

} // namespace

bool isIntegerText(QStringView text) {
    qsizetype start = 0;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        start = 1;
    }
    if (text.size() == start) {
        return false;
    }
    for (qsizetype i = start; i < text.size(); ++i) {
        if (!isDigit(text[i])) {
            return false;
        }
    }
    return true;
}

std::optional<int> parseInsertPosition(QStringView text) {
    if (!isIntegerText(text)) {
        return std::nullopt;
    }
    const bool negative = text.front() == u'-';
    const qsizetype start = (text.front() == u'+' || negative) ? 1 : 0;
    long long value = 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > 32768) {
            return std::nullopt; // beyond the 16-bit range whatever the sign; stop before overflow
        }
    }
    if (negative) {
        value = -value;
    }
    if (value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<QString> ValidateRenameRequest(const RenameRequest& request) {
    const RenameMethod method = request.Method;
    if (method == RenameMethod::Replace && request.FindText.isEmpty()) {
        return text(texts::kNoFindText);
    }
    if (method == RenameMethod::Fill && request.FillText.isEmpty()) {
        return text(texts::kNoFillText);
    }
    if (method == RenameMethod::Replace && HasIllegalChar(request.ReplaceText)) {
        return text(texts::kIllegalChar);
    }
    if (method == RenameMethod::Prefix && HasIllegalChar(request.PrefixText)) {
        return text(texts::kIllegalChar);
    }
    if (method == RenameMethod::Fill && HasIllegalChar(request.FillText)) {
        return text(texts::kIllegalChar);
    }
    if (method == RenameMethod::Fill && request.FillText.size() > 1) {
        return text(texts::kFillNotSingle);
    }
    if (method == RenameMethod::Insert && !isIntegerText(request.PositionText)) {
        return text(texts::kPositionNotInteger);
    }
    if (method == RenameMethod::Insert && HasIllegalChar(request.InsertText)) {
        return text(texts::kIllegalChar);
    }
    return std::nullopt;
}

} // namespace filarion::engine
