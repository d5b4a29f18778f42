#pragma once
#include <functional>
#include <string>

namespace nrv {

// Looks up the translation of an English text; returns an empty text when it
// has none.
using TTranslationLookup = std::function<std::string(const std::string&)>;

// The one entry point every user-visible text passes through, shared by the
// engine and both front ends:
//  - an empty text yields an empty text without a lookup;
//  - otherwise a non-empty answer of the installed lookup is the result;
//  - an empty answer, or no lookup installed, yields the text unchanged.
// Safe to call from any thread.
std::string Translate(const std::string& text);

// Installs the lookup behind Translate; an empty function removes it.
void SetTranslationLookup(TTranslationLookup lookup);

}  // namespace nrv
