#pragma once

#include "engine/rename_request.h"

#include <cstdint>
#include <optional>

namespace filarion::ui_core {

// The input fields of the rename methods.
enum class MethodField : std::uint8_t { ReplaceS, ReplaceT, Prefix, Fill, Insert, Position };

// The method whose option a field belongs to.
engine::RenameMethod methodOf(MethodField field);

// The field an option puts the focus into when it becomes selected; none for the insert method, whose
// option moves no focus.
std::optional<MethodField> firstFieldOf(engine::RenameMethod method);

// The coupling of the rename options and their fields: choosing an option puts the focus into its first
// field, giving the focus to a field selects its option. The chain ends after one step because selecting
// the option that is already selected raises nothing.
class MethodCoupling {
public:
    engine::RenameMethod method() const { return m_method; }

    // An option becomes selected, by a click or from code. Returns where the focus goes: the option's first
    // field when the selection changed, otherwise nowhere.
    std::optional<MethodField> selectOption(engine::RenameMethod method);

    // A field receives the focus: its option becomes selected, with the effect of selectOption.
    std::optional<MethodField> enterField(MethodField field) { return selectOption(methodOf(field)); }

private:
    engine::RenameMethod m_method = engine::RenameMethod::Replace;
};

} // namespace filarion::ui_core
