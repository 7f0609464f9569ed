/* Outfitter's German texts. See texts.h for how to add one. */
#include "settings/texts.h"

extern const LanguageTexts germanTexts = { 3, {
    { TXT_SETUP_CAPTION, "Setup" },
    { TXT_COPYRIGHT_NOTICE, "Tinfoil Tango © 1997 Vornhollow Entertainment. Alle Rechte vorbehalten." },
    { TXT_COPYING, "Kopiere " },
    { TXT_SEARCHING, "Suche in " },
    { TXT_DELETING, "Lösche " },
    { TXT_TIME_LEFT, "Restzeit: " },

    { TXT_BACK, "< Zurück" },
    { TXT_NEXT, "Weiter >" },
    { TXT_CANCEL, "Abbrechen" },
    { TXT_YES, "Ja" },
    { TXT_NO, "Nein" },
    { TXT_SKIP, "Überspringen" },
    { TXT_FINISH, "Beenden" },
    { TXT_OK, "OK" },
    { TXT_REINSTALL, "Neu installieren" },
    { TXT_CONFIGURE, "Konfigurieren" },

    { TXT_WIN32S_REFUSED, "Tinfoil Tango ist nicht für Win32s ausgelegt.\n\nProgramm wird abgebrochen." },
    { TXT_CONFIRM_CANCEL, "Wollen Sie wirklich abbrechen und das Programm beenden?" },
    { TXT_ALREADY_INSTALLED,
      "Tinfoil Tango ist bereits auf diesem Computer installiert.\n\n"
      "Wollen Sie es neu installieren, neu konfigurieren oder abbrechen?" },
    { TXT_INSTALL_QUESTION, "Wollen Sie Tinfoil Tango auf Ihrem Computer installieren?" },
    { TXT_UNINSTALL_QUESTION,
      "Deinstallation von Tinfoil Tango.\n\n"
      "Wollen Sie dieses Spiel wirklich von der Festplatte entfernen?" },
    { TXT_RESTART_QUESTION,
      "Sie müssen den Computer neu starten, bevor Sie Tinfoil Tango spielen können.\n\n"
      "Wollen Sie jetzt neu starten?" },

    { TXT_NEED_486, "Dieses Programm benötigt einen 486-Prozessor oder besser.\n\nProgramm wird abgebrochen." },
    { TXT_NOT_ENOUGH_MEMORY,
      "Nicht genügend Arbeitsspeicher für dieses Programm.\n\n"
      "Bauen Sie mehr Speicher (RAM) ein, und versuchen Sie es erneut." },
    { TXT_NOT_ENOUGH_SPACE,
      "Nicht genügend freier Speicherplatz für die Installation.\n\nSchaffen Sie Platz, und versuchen Sie es erneut." },
    { TXT_LOCATION_TOO_SHORT, "Das angegebene Verzeichnis ist zu kurz.\n\nBitte versuchen Sie es erneut." },
    { TXT_LOCATION_NO_DRIVE,
      "Das angegebene Verzeichnis beginnt nicht mit \"X:\\\"\n"
      "(X ist der Buchstabe des Laufwerks, das Sie verwenden wollen).\n\nBitte versuchen Sie es erneut." },
    { TXT_CREATE_DIRECTORY, "Dieses Verzeichnis existiert noch nicht. Wollen Sie es anlegen?" },
    { TXT_CANNOT_CREATE_DIRECTORY,
      "Das angegebene Verzeichnis konnte nicht\n"
      "angelegt werden. Vielleicht enthält es ungültige Zeichen.\n\nBitte versuchen Sie es erneut." },
    { TXT_LOCATION_TOO_LONG, "Das angegebene Verzeichnis ist zu lang.\n\nBitte versuchen Sie es erneut." },
    { TXT_DRIVE_UNUSABLE_PREFIX, "Das Laufwerk " },
    { TXT_DRIVE_UNUSABLE, " kann nicht verwendet werden.\n\nBitte versuchen Sie es erneut." },
    { TXT_LOCATION_TITLE, "Installationsverzeichnis" },
    { TXT_LOCATION_INSTALL,
      "Geben Sie das Verzeichnis auf der Festplatte an, in das Sie Tinfoil Tango installieren wollen.\n\n"
      "Klicken Sie danach auf \"Weiter\", um die Dateien von der CD-ROM zu kopieren." },
    { TXT_LOCATION_UNINSTALL,
      "Geben Sie das Verzeichnis auf der Festplatte an, in dem Sie Tinfoil Tango installiert haben.\n\n"
      "Klicken Sie danach auf \"Weiter\", um die Dateien von der Festplatte zu entfernen." },
    { TXT_INSTALL_DONE, "Tinfoil Tango wurde erfolgreich installiert.\n\nSie können jetzt mit dem Spiel beginnen." },

    { TXT_FILE_PREFIX, "Die Datei " },
    { TXT_FILE_DAMAGED, " auf der CD ist beschädigt" },
    { TXT_FILE_DAMAGED_WHILE, " (beim Kopieren von " },
    { TXT_FILE_BAD_DESTINATION,
      " auf der CD verlangt ein Ziel außerhalb des Spielverzeichnisses oder ein zu langes Ziel:\n\n" },

    { TXT_NOT_LOCATED, "Die Installation wurde nicht gefunden.\n\nWollen Sie von der CD-ROM neu installieren?" },
    { TXT_RECONFIGURE_DONE, "Tinfoil Tango wurde neu konfiguriert. Sie können weiterspielen." },
    { TXT_UNINSTALL_DONE,
      "Tinfoil Tango wurde erfolgreich deinstalliert.\n\n"
      "Vergessen Sie nicht: Es gibt noch mehr unterhaltsame Spiele von Vornhollow Entertainment." },
    { TXT_LIST_UNREADABLE_PREFIX, "Die Datei " },
    { TXT_LIST_UNREADABLE,
      " auf der CD kann nicht gelesen werden oder ist beschädigt. Ohne sie ist nicht bekannt, "
      "welche Dateien Tinfoil Tango installiert hat; deshalb wurde nichts gelöscht.\n\n"
      "Prüfen Sie, ob die CD von Tinfoil Tango im Laufwerk liegt, und versuchen Sie es erneut." },

    { TXT_SOUND_TITLE, "Soundkarte" },
    { TXT_SOUND_DOS,
      "Um die Klänge von Tinfoil Tango zu hören, müssen Sie Ihre "
      "Kopfhörer/Lautsprecher an Ihre Soundkarte anschließen. Außerdem müssen Sie Ihre "
      "Soundkarte mit einem DOS-Konfigurationsprogramm einrichten.\n\n"
      "Klicken Sie auf \"Weiter\", um dieses Programm aufzurufen." },
    { TXT_SOUND_WINDOWS,
      "Um die Musik zu hören, müssen Sie Ihre Kopfhörer oder Lautsprecher an eine "
      "Soundkarte anschließen.\n\nWollen Sie ein Musikbeispiel hören, um die Einstellungen zu testen?" },
    { TXT_SOUND_CONTINUE, "Klicken Sie auf \"Weiter\", um fortzufahren." },
    { TXT_NO_SOUND_DEVICE, "An diesen Computer ist kein Audiogerät angeschlossen." },
    { TXT_SAMPLE_FAILED,
      "Das Klangbeispiel konnte nicht abgespielt werden.\n\n"
      "Vielleicht ist die Software der Soundkarte nicht installiert. "
      "Verwenden Sie die Option \"Hardware\" in der Systemsteuerung, um dies zu beheben." },
    { TXT_HEAR_SOUND, "Hören Sie die Musik der Soundkarte?" },
    { TXT_SOUND_CONTROL_PANEL,
      "Um die Musik zu hören, müssen Sie Ihre Kopfhörer oder Lautsprecher direkt an eine "
      "Soundkarte anschließen. Außerdem muß Windows wissen, daß eine Soundkarte vorhanden ist.\n\n"
      "Wollen Sie die Systemsteuerung aufrufen, um die Audioeinstellungen (Soundkarte) "
      "Ihres Computers festzulegen?" },

    { TXT_CDMUSIC_TITLE, "CD-Musik" },
    { TXT_CDMUSIC_INTRO,
      "Die Musik von Tinfoil Tango kommt von der CD.\n\n"
      "Um sie zu hören, müssen Sie Ihre Kopfhörer oder Lautsprecher an das CD-ROM-Laufwerk anschließen oder "
      "das Laufwerk mit einer Soundkarte verbinden und die Kopfhörer oder Lautsprecher an die Karte anschließen.\n\n"
      "Wollen Sie ein Musikbeispiel hören, um die Einstellungen zu testen?" },
    { TXT_CDMUSIC_HEAR, "Hören Sie die Musik vom CD-ROM-Laufwerk?" },
    { TXT_CDMUSIC_CABLE,
      "Um die Musik zu hören, müssen Sie Ihre Kopfhörer oder Lautsprecher an das CD-ROM-Laufwerk anschließen "
      "oder das Laufwerk mit einem speziellen Kabel mit einer Soundkarte verbinden und die "
      "Kopfhörer oder Lautsprecher an die Karte anschließen.\n\n"
      "Wollen Sie ein Musikbeispiel hören, um die Einstellungen zu testen?" },
    { TXT_CD_NO_ACCESS, "Auf das CD-Laufwerk kann nicht zugegriffen werden." },
    { TXT_CD_CANNOT_PLAY, "Das CD-Laufwerk kann diesen Titel nicht abspielen." },

    { TXT_DIRECTX_TITLE, "DirectX 3 installieren" },
    { TXT_DIRECTX_TEXT,
      "Tinfoil Tango benötigt Microsoft(R) DirectX 3 auf Ihrem Computer.\n\n"
      "Wollen Sie diese zusätzliche Software jetzt installieren? Klicken Sie auf \"Weiter\", um sie zu "
      "installieren, oder auf \"Überspringen\", um zum nächsten Schritt zu gehen.\n\n"
      "Wir empfehlen, die Software zu installieren und diesen Schritt nur zu überspringen, wenn Sie "
      "bereits eine neuere Version installiert haben." },
    { TXT_DIRECTX_SETUP_FAILED, "DirectX 3 wurde nicht richtig installiert. Installation wiederholen?" },
    { TXT_DIRECTX_MISSING,
      "DirectX 3 wurde nicht richtig installiert.\n\n"
      "Wollen Sie die Installation noch einmal versuchen?" },

    { TXT_GROUP_TITLE, "Gruppe und Symbole" },
    { TXT_GROUP_TEXT,
      "Wollen Sie eine Programmgruppe anlegen, um bequem auf jeden Teil des Spiels zugreifen zu können?" },
    { TXT_ITEM_SETUP, "Setup" },
    { TXT_ITEM_UNINSTALL, "Deinstallieren" },
    { TXT_ITEM_README, "Neueste Informationen" },

    { TXT_SYSTEM_INFORMATION, "Systeminformationen" },
    { TXT_SYSINFO_TEXT, "Einige grundlegende Angaben zur Konfiguration Ihres Systems." },
    { TXT_LABEL_VIDEO, "Grafikkarte:" },
    { TXT_LABEL_SOUND, "Soundkarte:" },
    { TXT_LABEL_MEMORY, "Arbeitsspeicher:" },
    { TXT_LABEL_CDROM, "CD-ROM-Laufwerk:" },
    { TXT_LABEL_DIRECTX, "DirectX:" },
    { TXT_DETECTED, "Gefunden" },
    { TXT_NOT_DETECTED, "Nicht gefunden" },

    { TXT_NO_PALETTE, "Für das gewünschte Bild kann keine Palette erstellt werden." },
    { TXT_NO_MONOCHROME, "Es kann kein monochromes Bitmap erstellt werden: Das Bitmap hat keine Palette oder 24 Bit pro Pixel." },
    { TXT_NO_MIN_MEMORY, "Parameter MIN_MEMORY fehlt in der Datei QVX.INF." },
    { TXT_NO_TRACKS_EXPECTED, "Parameter TRACKS_EXPECTED fehlt in QVX.INF." },
    { TXT_NO_INSTALLED_FILE, "Parameter INSTALLED_FILE fehlt in QVX.INF." },
    { TXT_LINES_TOO_LONG, "FILELIST.TXT oder QVX.INF enthält zu lange Zeilen." },
} };
