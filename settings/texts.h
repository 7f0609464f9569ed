/*
 * Outfitter's texts: every word the user reads, one table per language.
 *
 * Each language is one file in setup/resources/lang/ (spanish.cpp, english.cpp...)
 * holding a LanguageTexts record named after it (spanishTexts); one build of
 * OUTFIT.EXE links one of them, chosen in setup/CMakeLists.txt, and reaches
 * it through buildLanguage. The code asks for a text by its number: Text(TXT_NEXT).
 *
 * To add a text: add its number below (anywhere before TEXT_COUNT), then a
 * line { TXT_..., "..." } at the same place in every language file. The
 * entries stand in the order of the numbers; the texts test checks that each
 * language has every number in its place and no empty text.
 * To add a language: copy english.cpp, translate it, and add one line
 * tt_outfit_language(...) in setup/CMakeLists.txt.
 *
 * Sources are UTF-8; the compiler writes the texts in Windows-1252, so every
 * character must exist there. Keep the line breaks (\n, \n\n) of the Spanish
 * texts: the pages and boxes are laid out for them.
 *
 * No Win32 here: the tables also build natively for the test.
 */
#ifndef TEXTS_H
#define TEXTS_H

enum TextId {
    /* Captions, the main window and its status line */
    TXT_SETUP_CAPTION,          /* main window, pages and every box */
    TXT_COPYRIGHT_NOTICE,       /* bottom line of the main window */
    TXT_COPYING,                /* status line: text, then the file */
    TXT_SEARCHING,              /* status line: text, then the directory */
    TXT_DELETING,               /* status line: text, then the file */
    TXT_TIME_LEFT,              /* left of the progress frame: text, then minutes:seconds */

    /* Buttons */
    TXT_BACK,
    TXT_NEXT,
    TXT_CANCEL,                 /* the third button asks before it leaves only with this label */
    TXT_YES,
    TXT_NO,
    TXT_SKIP,
    TXT_FINISH,
    TXT_OK,
    TXT_REINSTALL,
    TXT_CONFIGURE,

    /* Start, first question, end */
    TXT_WIN32S_REFUSED,
    TXT_CONFIRM_CANCEL,
    TXT_ALREADY_INSTALLED,
    TXT_INSTALL_QUESTION,
    TXT_UNINSTALL_QUESTION,
    TXT_RESTART_QUESTION,

    /* Installation */
    TXT_NEED_486,
    TXT_NOT_ENOUGH_MEMORY,
    TXT_NOT_ENOUGH_SPACE,
    TXT_LOCATION_TOO_SHORT,
    TXT_LOCATION_NO_DRIVE,
    TXT_CREATE_DIRECTORY,
    TXT_CANNOT_CREATE_DIRECTORY,
    TXT_LOCATION_TOO_LONG,
    TXT_DRIVE_UNUSABLE_PREFIX,  /* then the drive, such as Q:\ */
    TXT_DRIVE_UNUSABLE,
    TXT_LOCATION_TITLE,
    TXT_LOCATION_INSTALL,
    TXT_LOCATION_UNINSTALL,
    TXT_INSTALL_DONE,

    /* Damaged CD files: "The file " name " on the CD..." */
    TXT_FILE_PREFIX,
    TXT_FILE_DAMAGED,
    TXT_FILE_DAMAGED_WHILE,     /* then the destination and ")" */
    TXT_FILE_BAD_DESTINATION,   /* then the destination */

    /* Reconfiguration and uninstallation */
    TXT_NOT_LOCATED,
    TXT_RECONFIGURE_DONE,
    TXT_UNINSTALL_DONE,
    TXT_LIST_UNREADABLE_PREFIX, /* then the file list's path */
    TXT_LIST_UNREADABLE,

    /* Sound card */
    TXT_SOUND_TITLE,
    TXT_SOUND_DOS,
    TXT_SOUND_WINDOWS,
    TXT_SOUND_CONTINUE,
    TXT_NO_SOUND_DEVICE,
    TXT_SAMPLE_FAILED,
    TXT_HEAR_SOUND,
    TXT_SOUND_CONTROL_PANEL,

    /* CD music */
    TXT_CDMUSIC_TITLE,
    TXT_CDMUSIC_INTRO,
    TXT_CDMUSIC_HEAR,
    TXT_CDMUSIC_CABLE,
    TXT_CD_NO_ACCESS,
    TXT_CD_CANNOT_PLAY,

    /* DirectX */
    TXT_DIRECTX_TITLE,
    TXT_DIRECTX_TEXT,
    TXT_DIRECTX_SETUP_FAILED,
    TXT_DIRECTX_MISSING,

    /* Program group and its items */
    TXT_GROUP_TITLE,
    TXT_GROUP_TEXT,
    TXT_ITEM_SETUP,
    TXT_ITEM_UNINSTALL,
    TXT_ITEM_README,

    /* System information: page title (also the group item), rows, values */
    TXT_SYSTEM_INFORMATION,
    TXT_SYSINFO_TEXT,
    TXT_LABEL_VIDEO,
    TXT_LABEL_SOUND,
    TXT_LABEL_MEMORY,
    TXT_LABEL_CDROM,
    TXT_LABEL_DIRECTX,
    TXT_DETECTED,
    TXT_NOT_DETECTED,

    /* Pictures and the settings file */
    TXT_NO_PALETTE,
    TXT_NO_MONOCHROME,
    TXT_NO_MIN_MEMORY,
    TXT_NO_TRACKS_EXPECTED,
    TXT_NO_INSTALLED_FILE,
    TXT_LINES_TOO_LONG,

    TEXT_COUNT
};

struct TextEntry {
    int id;                     /* its TextId, so that a table's order can be checked */
    const char *text;
};

struct LanguageTexts {
    int languageIndex;          /* the build's LanguageIndex: 1 English ... 6 Spanish */
    TextEntry entries[TEXT_COUNT];
};

/* The table of this build (lang/select.cpp). */
extern const LanguageTexts *const buildLanguage;

inline const char *Text(TextId id)
{
    return buildLanguage->entries[id].text;
}

#endif
