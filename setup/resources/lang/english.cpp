/* Outfitter's English texts. See texts.h for how to add one. */
#include "settings/texts.h"

extern const LanguageTexts englishTexts = { 1, {
    { TXT_SETUP_CAPTION, "Setup" },
    { TXT_COPYRIGHT_NOTICE, "Tinfoil Tango © 1997 Vornhollow Entertainment. All rights reserved." },
    { TXT_COPYING, "Copying " },
    { TXT_SEARCHING, "Searching " },
    { TXT_DELETING, "Deleting " },
    { TXT_TIME_LEFT, "Time left: " },

    { TXT_BACK, "< Back" },
    { TXT_NEXT, "Next >" },
    { TXT_CANCEL, "Cancel" },
    { TXT_YES, "Yes" },
    { TXT_NO, "No" },
    { TXT_SKIP, "Skip" },
    { TXT_FINISH, "Finish" },
    { TXT_OK, "OK" },
    { TXT_REINSTALL, "Reinstall" },
    { TXT_CONFIGURE, "Configure" },

    { TXT_WIN32S_REFUSED, "Tinfoil Tango is not designed for Win32s.\n\nAborting program." },
    { TXT_CONFIRM_CANCEL, "Are you sure you want to cancel and exit?" },
    { TXT_ALREADY_INSTALLED,
      "Tinfoil Tango is already installed on this computer.\n\n"
      "Do you want to reinstall it, reconfigure it or cancel?" },
    { TXT_INSTALL_QUESTION, "Do you want to install Tinfoil Tango on your computer?" },
    { TXT_UNINSTALL_QUESTION,
      "Tinfoil Tango uninstall procedure.\n\n"
      "Are you sure you want to remove this game from your hard disk?" },
    { TXT_RESTART_QUESTION,
      "You must restart your computer before you can play Tinfoil Tango.\n\n"
      "Do you want to restart now?" },

    { TXT_NEED_486, "This program requires a 486 processor or better.\n\nAborting program." },
    { TXT_NOT_ENOUGH_MEMORY,
      "Not enough memory to run this program.\n\n"
      "Install more memory (RAM) and try again." },
    { TXT_NOT_ENOUGH_SPACE, "Not enough free disk space to install this program.\n\nFree some space and try again." },
    { TXT_LOCATION_TOO_SHORT, "The directory you have entered is too short.\n\nPlease try again." },
    { TXT_LOCATION_NO_DRIVE,
      "The directory you have entered does not begin with \"X:\\\"\n"
      "(X is the letter of the drive you want to use).\n\nPlease try again." },
    { TXT_CREATE_DIRECTORY, "This directory does not exist yet. Do you want to create it?" },
    { TXT_CANNOT_CREATE_DIRECTORY,
      "The directory you have entered could not\n"
      "be created. It may contain invalid characters.\n\nPlease try again." },
    { TXT_LOCATION_TOO_LONG, "The directory you have entered is too long.\n\nPlease try again." },
    { TXT_DRIVE_UNUSABLE_PREFIX, "Drive " },
    { TXT_DRIVE_UNUSABLE, " cannot be used.\n\nPlease try again." },
    { TXT_LOCATION_TITLE, "Installation Location" },
    { TXT_LOCATION_INSTALL,
      "Enter the location on your hard disk where you want to install Tinfoil Tango.\n\n"
      "When you have entered it, click \"Next\" to copy the files from the CD-ROM." },
    { TXT_LOCATION_UNINSTALL,
      "Enter the location on your hard disk where you installed Tinfoil Tango.\n\n"
      "When you have entered it, click \"Next\" to remove the files from your hard disk." },
    { TXT_INSTALL_DONE, "Tinfoil Tango has been installed successfully.\n\nYou can now start playing." },

    { TXT_FILE_PREFIX, "The file " },
    { TXT_FILE_DAMAGED, " on the CD is damaged" },
    { TXT_FILE_DAMAGED_WHILE, " (while copying " },
    { TXT_FILE_BAD_DESTINATION,
      " on the CD asks for a destination that is outside the game directory or too long:\n\n" },

    { TXT_NOT_LOCATED, "The installation could not be located.\n\nDo you want to reinstall from the CD-ROM?" },
    { TXT_RECONFIGURE_DONE, "Tinfoil Tango has been reconfigured. You can continue playing." },
    { TXT_UNINSTALL_DONE,
      "Tinfoil Tango has been uninstalled successfully.\n\n"
      "Don't forget that there are more entertaining games from Vornhollow Entertainment." },
    { TXT_LIST_UNREADABLE_PREFIX, "Cannot read the file " },
    { TXT_LIST_UNREADABLE,
      " on the CD, or it is damaged. Without it there is no way of knowing which files Tinfoil Tango "
      "installed, so nothing has been deleted.\n\n"
      "Check that the Tinfoil Tango CD is in the drive and try again." },

    { TXT_SOUND_TITLE, "Sound Card" },
    { TXT_SOUND_DOS,
      "To hear the sounds of Tinfoil Tango, you need to connect your "
      "headphones/speakers to your sound card. You must also set up your "
      "sound card with a DOS configuration program.\n\n"
      "Click \"Next\" to run this program." },
    { TXT_SOUND_WINDOWS,
      "To hear the music you must connect your headphones or speakers to a "
      "sound card.\n\nDo you want to hear a music sample to test the configuration?" },
    { TXT_SOUND_CONTINUE, "Click \"Next\" to continue." },
    { TXT_NO_SOUND_DEVICE, "There is no sound device connected to this computer." },
    { TXT_SAMPLE_FAILED,
      "The sound sample could not be played.\n\n"
      "The sound card software may not have been installed. "
      "Use the \"Add New Hardware\" option in the Control Panel to remedy this." },
    { TXT_HEAR_SOUND, "Can you hear the music from the sound card?" },
    { TXT_SOUND_CONTROL_PANEL,
      "To hear the music you must connect your headphones or speakers directly to a "
      "sound card. Windows must also know that there is a sound card.\n\n"
      "Do you want to go to the Control Panel to set up the audio settings (sound card) "
      "of your computer?" },

    { TXT_CDMUSIC_TITLE, "CD Music" },
    { TXT_CDMUSIC_INTRO,
      "The music of Tinfoil Tango comes from the CD.\n\n"
      "To hear it you must connect your headphones or speakers to the CD-ROM drive or connect your "
      "CD-ROM drive to a sound card and connect the headphones or speakers to the card.\n\n"
      "Do you want to hear a music sample to test the configuration?" },
    { TXT_CDMUSIC_HEAR, "Can you hear the music from the CD-ROM drive?" },
    { TXT_CDMUSIC_CABLE,
      "To hear the music you must connect your headphones or speakers to the CD-ROM drive or "
      "connect your CD-ROM drive to a sound card with a special cable and connect the "
      "headphones or speakers to the card.\n\n"
      "Do you want to hear a music sample to test the configuration?" },
    { TXT_CD_NO_ACCESS, "Cannot access the CD drive." },
    { TXT_CD_CANNOT_PLAY, "The CD drive cannot play that track." },

    { TXT_DIRECTX_TITLE, "DirectX 3 Setup" },
    { TXT_DIRECTX_TEXT,
      "Tinfoil Tango requires Microsoft(R) DirectX 3 to be installed on your computer.\n\n"
      "Do you want to install this additional software now? Click \"Next\" to install "
      "or \"Skip\" to go to the next step.\n\n"
      "We recommend that you install the software and only skip the installation if you have "
      "already installed a recent version." },
    { TXT_DIRECTX_SETUP_FAILED, "DirectX 3 was not installed correctly. Repeat the installation?" },
    { TXT_DIRECTX_MISSING,
      "DirectX 3 was not installed correctly.\n\n"
      "Do you want to try the installation again?" },

    { TXT_GROUP_TITLE, "Group and Icons" },
    { TXT_GROUP_TEXT, "Do you want to create a program group for easy access to each component of the game?" },
    { TXT_ITEM_SETUP, "Setup" },
    { TXT_ITEM_UNINSTALL, "Uninstall" },
    { TXT_ITEM_README, "Latest Information" },

    { TXT_SYSTEM_INFORMATION, "System Information" },
    { TXT_SYSINFO_TEXT, "Some basic information about the configuration of your system." },
    { TXT_LABEL_VIDEO, "Video Adapter:" },
    { TXT_LABEL_SOUND, "Sound Card:" },
    { TXT_LABEL_MEMORY, "Physical Memory:" },
    { TXT_LABEL_CDROM, "CD-ROM Drive:" },
    { TXT_LABEL_DIRECTX, "DirectX:" },
    { TXT_DETECTED, "Detected" },
    { TXT_NOT_DETECTED, "Not Detected" },

    { TXT_NO_PALETTE, "Unable to create a palette for the requested picture." },
    { TXT_NO_MONOCHROME, "Unable to make a monochrome bitmap: the bitmap has no palette or 24 bits per pixel." },
    { TXT_NO_MIN_MEMORY, "MIN_MEMORY parameter missing from the QVX.INF file." },
    { TXT_NO_TRACKS_EXPECTED, "TRACKS_EXPECTED parameter missing from QVX.INF." },
    { TXT_NO_INSTALLED_FILE, "INSTALLED_FILE parameter missing from QVX.INF." },
    { TXT_LINES_TOO_LONG, "FILELIST.TXT or QVX.INF contains lines that are too long." },
} };
