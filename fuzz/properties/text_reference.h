#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace filarion::fuzz {

// Calls visit for every character of the text: a surrogate pair is one character, a surrogate without
// its partner is a character of its own.
void forEachCharacter(QStringView text, const std::function<void(QStringView character)>& visit);

// True when the text holds a surrogate without its partner.
bool hasLoneSurrogate(QStringView text);

// True when GBK holds the character: encoded on its own it gives bytes that decode back to it.
bool gbkHolds(QStringView character);

// The text as GBK can write it: every character GBK cannot hold becomes '?'.
QString gbkImage(QStringView text);

// The text in printable ASCII, other code units as \uXXXX, for failure reports.
QString describe(QStringView text);

} // namespace filarion::fuzz
