/* Outfitter's text tables: every language that has a build line is linked
 * here (OUTFIT_TABLES, from setup/CMakeLists.txt). Each must carry every text
 * number in its place, no empty text, the line layout of the Spanish text,
 * and a LanguageIndex whose CD directory is the language's own. */
#include "settings/texts.h"
#include <gtest/gtest.h>
#include <ctype.h>
#include <string>

extern const char *const languageDirectories[8];

#define TABLE(name) extern const LanguageTexts name##Texts;
OUTFIT_TABLES
#undef TABLE

struct NamedTable {
    const char *name;
    const LanguageTexts *table;
};
#define TABLE(name) { #name, &name##Texts },
static const NamedTable tables[] = { OUTFIT_TABLES };
#undef TABLE

static int CountBreaks(const char *text)
{
    int breaks = 0;
    for (; *text; text++)
        breaks += *text == '\n';
    return breaks;
}

TEST(Texts, EveryLanguageHasEveryTextInTheSpanishLayout)
{
    for (const NamedTable &language : tables) {
        SCOPED_TRACE(language.name);
        std::string directory;
        for (const char *c = language.name; *c; c++)
            directory += (char)toupper((unsigned char)*c);
        directory += '\\';
        int index = language.table->languageIndex;
        ASSERT_TRUE(index >= 1 && index <= 7) << index;
        EXPECT_EQ(directory, languageDirectories[index]);
        for (int id = 0; id < TEXT_COUNT; id++) {
            const TextEntry &entry = language.table->entries[id];
            ASSERT_EQ(id, entry.id) << "entry " << id << " is out of place or missing";
            ASSERT_TRUE(entry.text && entry.text[0]) << "text " << id << " is empty";
            EXPECT_EQ(CountBreaks(spanishTexts.entries[id].text), CountBreaks(entry.text))
                << "text " << id << ": " << entry.text;
        }
    }
}
