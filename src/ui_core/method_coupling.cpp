#include "ui_core/method_coupling.h"

namespace filarion::ui_core {

using engine::RenameMethod;

RenameMethod methodOf(MethodField field) {
    switch (field) {
    case MethodField::ReplaceS:
    case MethodField::ReplaceT:
        return RenameMethod::Replace;
    case MethodField::Prefix:
        return RenameMethod::Prefix;
    case MethodField::Fill:
        return RenameMethod::Fill;
    case MethodField::Insert:
    case MethodField::Position:
        return RenameMethod::Insert;
    }
    return RenameMethod::Replace;
}

std::optional<MethodField> firstFieldOf(RenameMethod method) {
    switch (method) {
    case RenameMethod::Replace:
        return MethodField::ReplaceS;
    case RenameMethod::Prefix:
        return MethodField::Prefix;
    case RenameMethod::Fill:
        return MethodField::Fill;
    case RenameMethod::Insert:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<MethodField> MethodCoupling::selectOption(RenameMethod method) {
    if (method == m_method) {
        return std::nullopt;
    }
    m_method = method;
    return firstFieldOf(method);
}

} // namespace filarion::ui_core
