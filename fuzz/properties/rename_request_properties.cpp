#include "rename_request_properties.h"

#include "engine/name_helpers.h"
#include "engine/texts.h"
#include "fuzz_input.h"
#include "text_reference.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <optional>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;
using namespace engine;

namespace {

QString message(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

QString describe(const std::optional<QString>& result) {
    return result ? fuzz::describe(*result) : u"nothing"_s;
}

QString describeRequest(const RenameRequest& request) {
    return u"method %1, find %2, replace %3, prefix %4, fill %5, insert %6, position %7"_s
        .arg(static_cast<int>(request.Method))
        .arg(fuzz::describe(request.FindText), fuzz::describe(request.ReplaceText), fuzz::describe(request.PrefixText),
             fuzz::describe(request.FillText), fuzz::describe(request.InsertText),
             fuzz::describe(request.PositionText));
}

bool referenceIsInteger(const QString& text) {
    static const QRegularExpression integer(u"\\A[+-]?[0-9]+\\z"_s);
    return integer.match(text).hasMatch();
}

// The value of an integer text when it lies within the 16-bit range, read from its digits as a text.
std::optional<int> referencePosition(const QString& text) {
    if (!referenceIsInteger(text)) {
        return std::nullopt;
    }
    const bool negative = text.front() == u'-';
    QStringView digits = QStringView(text).mid(text.front() == u'+' || negative ? 1 : 0);
    while (digits.size() > 1 && digits.front() == u'0') {
        digits = digits.mid(1);
    }
    if (digits.size() > 5) {
        return std::nullopt;
    }
    const int value = (negative ? -1 : 1) * digits.toInt();
    if (value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return value;
}

// What the checks of the selected method give, written out method by method.
std::optional<QString> referenceResult(const RenameRequest& request) {
    switch (request.Method) {
    case RenameMethod::Replace:
        if (request.FindText.isEmpty()) {
            return message(texts::kNoFindText);
        }
        if (HasIllegalChar(request.ReplaceText)) {
            return message(texts::kIllegalChar);
        }
        return std::nullopt;
    case RenameMethod::Prefix:
        if (HasIllegalChar(request.PrefixText)) {
            return message(texts::kIllegalChar);
        }
        return std::nullopt;
    case RenameMethod::Fill:
        if (request.FillText.isEmpty()) {
            return message(texts::kNoFillText);
        }
        if (HasIllegalChar(request.FillText)) {
            return message(texts::kIllegalChar);
        }
        if (request.FillText.size() > 1) {
            return message(texts::kFillNotSingle);
        }
        return std::nullopt;
    case RenameMethod::Insert:
        if (!referenceIsInteger(request.PositionText)) {
            return message(texts::kPositionNotInteger);
        }
        if (HasIllegalChar(request.InsertText)) {
            return message(texts::kIllegalChar);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The request with the fields of every method but the selected one, and the folder and files, taken
// from the other request.
RenameRequest withOtherFields(const RenameRequest& request, const RenameRequest& other) {
    RenameRequest mixed = other;
    mixed.Method = request.Method;
    mixed.Folder = other.Folder;
    mixed.Files = other.Files;
    switch (request.Method) {
    case RenameMethod::Replace:
        mixed.FindText = request.FindText;
        mixed.ReplaceText = request.ReplaceText;
        break;
    case RenameMethod::Prefix:
        mixed.PrefixText = request.PrefixText;
        break;
    case RenameMethod::Fill:
        mixed.FillText = request.FillText;
        break;
    case RenameMethod::Insert:
        mixed.InsertText = request.InsertText;
        mixed.PositionText = request.PositionText;
        break;
    }
    return mixed;
}

} // namespace

QString checkRenameRequest(const RenameRequest& request, const RenameRequest& other) {
    const std::optional<QString> result = ValidateRenameRequest(request);
    static const std::array<QString, 5> known = {message(texts::kNoFindText), message(texts::kNoFillText),
                                                 message(texts::kIllegalChar), message(texts::kFillNotSingle),
                                                 message(texts::kPositionNotInteger)};
    if (result && std::find(known.begin(), known.end(), *result) == known.end()) {
        return u"ValidateRenameRequest gave an unknown message "_s + describe(result);
    }
    if (ValidateRenameRequest(request) != result) {
        return u"ValidateRenameRequest gives another result the second time for "_s + describeRequest(request);
    }
    const std::optional<QString> expected = referenceResult(request);
    if (result != expected) {
        return u"ValidateRenameRequest gave "_s + describe(result) + u" instead of "_s + describe(expected) +
               u" for "_s + describeRequest(request);
    }
    const RenameRequest mixed = withOtherFields(request, other);
    if (ValidateRenameRequest(mixed) != result) {
        return u"a field of a method that is not selected changed the result: "_s + describeRequest(request) +
               u" against "_s + describeRequest(mixed);
    }
    if (isIntegerText(request.PositionText) != referenceIsInteger(request.PositionText) ||
        parseInsertPosition(request.PositionText) != referencePosition(request.PositionText)) {
        return u"isIntegerText or parseInsertPosition differs from the reference for "_s +
               fuzz::describe(request.PositionText);
    }
    return {};
}

namespace {

RenameRequest readRequest(FuzzInput& input) {
    RenameRequest request;
    request.Method = static_cast<RenameMethod>(input.byte() % 4);
    request.FindText = input.text(8);
    request.ReplaceText = input.text(12);
    request.PrefixText = input.text(12);
    request.FillText = input.text(3);
    request.InsertText = input.text(12);
    request.PositionText = input.integerText(12);
    request.Folder = input.text(8);
    for (auto files = input.number(0, 3); files > 0; --files) {
        request.Files.append(input.text(8));
    }
    return request;
}

} // namespace

QString checkRenameRequestInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const RenameRequest request = readRequest(input);
    const RenameRequest other = readRequest(input);
    return checkRenameRequest(request, other);
}

} // namespace filarion::fuzz
