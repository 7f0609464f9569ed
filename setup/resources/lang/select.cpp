/* The text table of this build: OUTFIT_LANGUAGE names it (spanishTexts...),
 * set by tt_outfit_language() in setup/CMakeLists.txt. */
#include "settings/texts.h"

extern const LanguageTexts OUTFIT_LANGUAGE;
const LanguageTexts *const buildLanguage = &OUTFIT_LANGUAGE;
