/* Outfitter's Italian texts. See texts.h for how to add one. */
#include "settings/texts.h"

extern const LanguageTexts italianTexts = { 4, {
    { TXT_SETUP_CAPTION, "Configurazione" },
    { TXT_COPYRIGHT_NOTICE, "Tinfoil Tango © 1997 Vornhollow Entertainment. Tutti i diritti riservati." },
    { TXT_COPYING, "Copia di " },
    { TXT_SEARCHING, "Ricerca in " },
    { TXT_DELETING, "Eliminazione di " },
    { TXT_TIME_LEFT, "Tempo rimanente: " },

    { TXT_BACK, "< Indietro" },
    { TXT_NEXT, "Avanti >" },
    { TXT_CANCEL, "Annulla" },
    { TXT_YES, "Sì" },
    { TXT_NO, "No" },
    { TXT_SKIP, "Salta" },
    { TXT_FINISH, "Fine" },
    { TXT_OK, "OK" },
    { TXT_REINSTALL, "Reinstalla" },
    { TXT_CONFIGURE, "Configura" },

    { TXT_WIN32S_REFUSED, "Tinfoil Tango non è progettato per Win32s.\n\nInterruzione del programma." },
    { TXT_CONFIRM_CANCEL, "Vuoi davvero annullare e uscire?" },
    { TXT_ALREADY_INSTALLED,
      "Tinfoil Tango è già installato sul computer.\n\n"
      "Vuoi reinstallarlo, riconfigurarlo o annullare?" },
    { TXT_INSTALL_QUESTION, "Vuoi installare Tinfoil Tango sul tuo computer?" },
    { TXT_UNINSTALL_QUESTION,
      "Procedura di disinstallazione di Tinfoil Tango.\n\n"
      "Sei sicuro di voler eliminare questo gioco dal disco fisso?" },
    { TXT_RESTART_QUESTION,
      "Devi riavviare il computer prima di poter giocare a Tinfoil Tango.\n\n"
      "Vuoi riavviare adesso?" },

    { TXT_NEED_486,
      "Per eseguire questo programma è necessario un processore 486 o superiore.\n\nInterruzione del programma." },
    { TXT_NOT_ENOUGH_MEMORY,
      "Memoria insufficiente per eseguire questo programma.\n\n"
      "Installa altra memoria (RAM) e riprova." },
    { TXT_NOT_ENOUGH_SPACE, "Spazio libero insufficiente per installare questo programma.\n\nLibera spazio e riprova." },
    { TXT_LOCATION_TOO_SHORT, "Il percorso della directory che hai indicato è troppo corto.\n\nRiprova." },
    { TXT_LOCATION_NO_DRIVE,
      "Il percorso della directory che hai indicato non comincia con \"X:\\\"\n"
      "(X è la lettera dell'unità che vuoi utilizzare).\n\nRiprova." },
    { TXT_CREATE_DIRECTORY, "Questa directory non esiste ancora. Vuoi crearla?" },
    { TXT_CANNOT_CREATE_DIRECTORY,
      "Non è stato possibile creare la directory\n"
      "che hai indicato. Forse contiene caratteri non validi.\n\nRiprova." },
    { TXT_LOCATION_TOO_LONG, "Il percorso della directory che hai indicato è troppo lungo.\n\nRiprova." },
    { TXT_DRIVE_UNUSABLE_PREFIX, "Impossibile utilizzare l'unità " },
    { TXT_DRIVE_UNUSABLE, "\n\nRiprova." },
    { TXT_LOCATION_TITLE, "Percorso di installazione" },
    { TXT_LOCATION_INSTALL,
      "Indica il percorso del disco fisso in cui vuoi installare Tinfoil Tango.\n\n"
      "Poi fai clic su \"Avanti\" per copiare i file dal CD-ROM." },
    { TXT_LOCATION_UNINSTALL,
      "Indica il percorso del disco fisso in cui hai installato Tinfoil Tango.\n\n"
      "Poi fai clic su \"Avanti\" per eliminare i file dal disco fisso." },
    { TXT_INSTALL_DONE, "Tinfoil Tango è stato installato correttamente.\n\nOra puoi cominciare a giocare." },

    { TXT_FILE_PREFIX, "Il file " },
    { TXT_FILE_DAMAGED, " del CD è danneggiato" },
    { TXT_FILE_DAMAGED_WHILE, " (durante la copia di " },
    { TXT_FILE_BAD_DESTINATION,
      " del CD chiede una destinazione esterna alla directory del gioco o troppo lunga:\n\n" },

    { TXT_NOT_LOCATED, "Impossibile trovare l'installazione.\n\nVuoi reinstallare dal CD-ROM?" },
    { TXT_RECONFIGURE_DONE, "Tinfoil Tango è stato riconfigurato. Puoi continuare a giocare." },
    { TXT_UNINSTALL_DONE,
      "Tinfoil Tango è stato disinstallato correttamente.\n\n"
      "Non dimenticare che ci sono altri giochi divertenti di Vornhollow Entertainment." },
    { TXT_LIST_UNREADABLE_PREFIX, "Impossibile leggere il file " },
    { TXT_LIST_UNREADABLE,
      " del CD, oppure è danneggiato. Senza di esso non si sa quali file ha installato "
      "Tinfoil Tango, quindi non è stato eliminato nulla.\n\n"
      "Controlla che il CD di Tinfoil Tango sia nell'unità e riprova." },

    { TXT_SOUND_TITLE, "Scheda audio" },
    { TXT_SOUND_DOS,
      "Per sentire i suoni di Tinfoil Tango devi collegare le "
      "cuffie/gli altoparlanti alla scheda audio. Devi anche configurare la "
      "scheda audio con un programma di configurazione DOS.\n\n"
      "Fai clic su \"Avanti\" per avviare questo programma." },
    { TXT_SOUND_WINDOWS,
      "Per sentire la musica devi collegare le cuffie o gli altoparlanti a una "
      "scheda audio.\n\nVuoi ascoltare un brano musicale di prova per verificare la configurazione?" },
    { TXT_SOUND_CONTINUE, "Fai clic su \"Avanti\" per continuare." },
    { TXT_NO_SOUND_DEVICE, "Al computer non è collegata nessuna periferica audio." },
    { TXT_SAMPLE_FAILED,
      "Impossibile riprodurre il campione sonoro.\n\n"
      "Forse il software della scheda audio non è stato installato. "
      "Usa l'opzione \"Installazione nuovo hardware\" del Pannello di controllo per risolvere il problema." },
    { TXT_HEAR_SOUND, "Senti la musica della scheda audio?" },
    { TXT_SOUND_CONTROL_PANEL,
      "Per sentire la musica devi collegare le cuffie o gli altoparlanti direttamente a una "
      "scheda audio. Inoltre Windows deve sapere che c'è una scheda audio.\n\n"
      "Vuoi andare al Pannello di controllo per impostare i parametri audio (scheda audio) "
      "del computer?" },

    { TXT_CDMUSIC_TITLE, "Musica CD" },
    { TXT_CDMUSIC_INTRO,
      "La musica di Tinfoil Tango proviene dal CD.\n\n"
      "Per sentirla devi collegare le cuffie o gli altoparlanti all'unità CD-ROM, oppure collegare "
      "l'unità CD-ROM a una scheda audio e le cuffie o gli altoparlanti alla scheda.\n\n"
      "Vuoi ascoltare un brano musicale di prova per verificare la configurazione?" },
    { TXT_CDMUSIC_HEAR, "Senti la musica dell'unità CD-ROM?" },
    { TXT_CDMUSIC_CABLE,
      "Per sentire la musica devi collegare le cuffie o gli altoparlanti all'unità CD-ROM, oppure "
      "collegare l'unità CD-ROM a una scheda audio con un cavo speciale e le "
      "cuffie o gli altoparlanti alla scheda.\n\n"
      "Vuoi ascoltare un brano musicale di prova per verificare la configurazione?" },
    { TXT_CD_NO_ACCESS, "Impossibile accedere al lettore CD." },
    { TXT_CD_CANNOT_PLAY, "Il lettore CD non può riprodurre questa traccia." },

    { TXT_DIRECTX_TITLE, "Installazione di DirectX 3" },
    { TXT_DIRECTX_TEXT,
      "Tinfoil Tango richiede che sul computer sia installato DirectX 3 di Microsoft(R).\n\n"
      "Vuoi installare adesso questo software aggiuntivo? Fai clic su \"Avanti\" per installarlo "
      "o su \"Salta\" per passare alla fase successiva.\n\n"
      "Ti consigliamo di installare il software e di saltare l'installazione solo se hai già "
      "installato una versione recente." },
    { TXT_DIRECTX_SETUP_FAILED, "DirectX 3 non è stato installato correttamente. Ripetere l'installazione?" },
    { TXT_DIRECTX_MISSING,
      "DirectX 3 non è stato installato correttamente.\n\n"
      "Vuoi ritentare l'installazione?" },

    { TXT_GROUP_TITLE, "Gruppo e icone" },
    { TXT_GROUP_TEXT,
      "Vuoi creare un gruppo di programmi per accedere facilmente a ogni componente del gioco?" },
    { TXT_ITEM_SETUP, "Configurazione" },
    { TXT_ITEM_UNINSTALL, "Disinstalla" },
    { TXT_ITEM_README, "Ultime informazioni" },

    { TXT_SYSTEM_INFORMATION, "Informazioni sul sistema" },
    { TXT_SYSINFO_TEXT, "Alcuni dati fondamentali sulla configurazione del tuo sistema." },
    { TXT_LABEL_VIDEO, "Scheda video:" },
    { TXT_LABEL_SOUND, "Scheda audio:" },
    { TXT_LABEL_MEMORY, "Memoria fisica:" },
    { TXT_LABEL_CDROM, "Unità CD-ROM:" },
    { TXT_LABEL_DIRECTX, "DirectX:" },
    { TXT_DETECTED, "Rilevato" },
    { TXT_NOT_DETECTED, "Non rilevato" },

    { TXT_NO_PALETTE, "Impossibile creare una tavolozza per l'immagine richiesta." },
    { TXT_NO_MONOCHROME,
      "Impossibile creare una bitmap monocromatica: la bitmap non ha tavolozza o ha 24 bit per pixel." },
    { TXT_NO_MIN_MEMORY, "Parametro MIN_MEMORY mancante nel file QVX.INF." },
    { TXT_NO_TRACKS_EXPECTED, "Parametro TRACKS_EXPECTED mancante in QVX.INF." },
    { TXT_NO_INSTALLED_FILE, "Parametro INSTALLED_FILE mancante in QVX.INF." },
    { TXT_LINES_TOO_LONG, "FILELIST.TXT o QVX.INF contengono righe troppo lunghe." },
} };
