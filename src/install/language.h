#pragma once
#include <windows.h>

namespace tn {

// The language in use: the stored one if the installation offers it, else
// the first the installation lists, else the stored or system language.
LANGID GetLanguage();
// The language from install.ini's LangGroup that matches `language`, else the
// first listed one, else 0.
LANGID MatchLanguageGroup(DWORD language);
// Stores the low 16 bits of `language` in the hive store; 1 when stored.
int SetLanguage(DWORD language);

}  // namespace tn
