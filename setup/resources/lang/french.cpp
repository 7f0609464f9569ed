/* Outfitter's French texts. See texts.h for how to add one. */
#include "settings/texts.h"

extern const LanguageTexts frenchTexts = { 2, {
    { TXT_SETUP_CAPTION, "Configuration" },
    { TXT_COPYRIGHT_NOTICE, "Tinfoil Tango © 1997 Vornhollow Entertainment. Tous droits réservés." },
    { TXT_COPYING, "Copie de " },
    { TXT_SEARCHING, "Recherche dans " },
    { TXT_DELETING, "Suppression de " },
    { TXT_TIME_LEFT, "Temps restant : " },

    { TXT_BACK, "< Précédent" },
    { TXT_NEXT, "Suivant >" },
    { TXT_CANCEL, "Annuler" },
    { TXT_YES, "Oui" },
    { TXT_NO, "Non" },
    { TXT_SKIP, "Passer" },
    { TXT_FINISH, "Terminer" },
    { TXT_OK, "OK" },
    { TXT_REINSTALL, "Réinstaller" },
    { TXT_CONFIGURE, "Configurer" },

    { TXT_WIN32S_REFUSED, "Tinfoil Tango n'est pas conçu pour Win32s.\n\nAbandon du programme." },
    { TXT_CONFIRM_CANCEL, "Voulez-vous vraiment annuler et quitter ?" },
    { TXT_ALREADY_INSTALLED,
      "Tinfoil Tango est déjà installé sur votre ordinateur.\n\n"
      "Voulez-vous le réinstaller, le reconfigurer ou annuler ?" },
    { TXT_INSTALL_QUESTION, "Voulez-vous installer Tinfoil Tango sur votre ordinateur ?" },
    { TXT_UNINSTALL_QUESTION,
      "Procédure de désinstallation de Tinfoil Tango.\n\n"
      "Êtes-vous sûr de vouloir supprimer ce jeu de votre disque dur ?" },
    { TXT_RESTART_QUESTION,
      "Vous devez redémarrer votre ordinateur avant de pouvoir jouer à Tinfoil Tango.\n\n"
      "Voulez-vous redémarrer maintenant ?" },

    { TXT_NEED_486, "Ce programme nécessite un processeur 486 ou supérieur.\n\nAbandon du programme." },
    { TXT_NOT_ENOUGH_MEMORY,
      "Mémoire insuffisante pour exécuter ce programme.\n\n"
      "Installez davantage de mémoire (RAM) et réessayez." },
    { TXT_NOT_ENOUGH_SPACE, "Espace disque insuffisant pour installer ce programme.\n\nLibérez de l'espace et réessayez." },
    { TXT_LOCATION_TOO_SHORT, "Le répertoire que vous avez indiqué est trop court.\n\nVeuillez réessayer." },
    { TXT_LOCATION_NO_DRIVE,
      "Le répertoire que vous avez indiqué ne commence pas par \"X:\\\"\n"
      "(X est la lettre du lecteur que vous voulez utiliser).\n\nVeuillez réessayer." },
    { TXT_CREATE_DIRECTORY, "Ce répertoire n'existe pas encore. Voulez-vous le créer ?" },
    { TXT_CANNOT_CREATE_DIRECTORY,
      "Le répertoire que vous avez indiqué n'a pas pu\n"
      "être créé. Il contient peut-être des caractères incorrects.\n\nVeuillez réessayer." },
    { TXT_LOCATION_TOO_LONG, "Le répertoire que vous avez indiqué est trop long.\n\nVeuillez réessayer." },
    { TXT_DRIVE_UNUSABLE_PREFIX, "Le lecteur " },
    { TXT_DRIVE_UNUSABLE, " ne peut pas être utilisé.\n\nVeuillez réessayer." },
    { TXT_LOCATION_TITLE, "Emplacement de l'installation" },
    { TXT_LOCATION_INSTALL,
      "Indiquez l'emplacement du disque dur où vous voulez installer Tinfoil Tango.\n\n"
      "Cliquez ensuite sur \"Suivant\" pour copier les fichiers du CD-ROM." },
    { TXT_LOCATION_UNINSTALL,
      "Indiquez l'emplacement du disque dur où vous avez installé Tinfoil Tango.\n\n"
      "Cliquez ensuite sur \"Suivant\" pour supprimer les fichiers du disque dur." },
    { TXT_INSTALL_DONE, "Tinfoil Tango a été installé avec succès.\n\nVous pouvez maintenant commencer à jouer." },

    { TXT_FILE_PREFIX, "Le fichier " },
    { TXT_FILE_DAMAGED, " du CD est endommagé" },
    { TXT_FILE_DAMAGED_WHILE, " (lors de la copie de " },
    { TXT_FILE_BAD_DESTINATION,
      " du CD demande une destination située hors du répertoire du jeu ou trop longue :\n\n" },

    { TXT_NOT_LOCATED, "Impossible de trouver l'installation.\n\nVoulez-vous réinstaller à partir du CD-ROM ?" },
    { TXT_RECONFIGURE_DONE, "Tinfoil Tango a été reconfiguré. Vous pouvez continuer à jouer." },
    { TXT_UNINSTALL_DONE,
      "Tinfoil Tango a été désinstallé avec succès.\n\n"
      "N'oubliez pas que Vornhollow Entertainment vous propose bien d'autres jeux passionnants." },
    { TXT_LIST_UNREADABLE_PREFIX, "Impossible de lire le fichier " },
    { TXT_LIST_UNREADABLE,
      " du CD, ou ce fichier est endommagé. Sans lui, impossible de savoir quels fichiers Tinfoil Tango "
      "a installés : rien n'a donc été supprimé.\n\n"
      "Vérifiez que le CD de Tinfoil Tango est dans le lecteur et réessayez." },

    { TXT_SOUND_TITLE, "Carte son" },
    { TXT_SOUND_DOS,
      "Pour entendre les sons de Tinfoil Tango, vous devez brancher votre "
      "casque ou vos haut-parleurs sur votre carte son. Vous devez aussi configurer votre "
      "carte son avec un programme de configuration DOS.\n\n"
      "Cliquez sur \"Suivant\" pour lancer ce programme." },
    { TXT_SOUND_WINDOWS,
      "Pour entendre la musique, vous devez brancher votre casque ou vos haut-parleurs sur une "
      "carte son.\n\nVoulez-vous écouter un extrait musical pour tester la configuration ?" },
    { TXT_SOUND_CONTINUE, "Cliquez sur \"Suivant\" pour continuer." },
    { TXT_NO_SOUND_DEVICE, "Aucun périphérique audio n'est connecté à l'ordinateur." },
    { TXT_SAMPLE_FAILED,
      "Impossible de lire l'extrait sonore.\n\n"
      "Le logiciel de la carte son n'est peut-être pas installé. "
      "Utilisez l'option \"Ajout de périphérique\" du Panneau de configuration pour y remédier." },
    { TXT_HEAR_SOUND, "Entendez-vous la musique de la carte son ?" },
    { TXT_SOUND_CONTROL_PANEL,
      "Pour entendre la musique, vous devez brancher votre casque ou vos haut-parleurs directement sur une "
      "carte son. De plus, Windows doit savoir qu'une carte son est présente.\n\n"
      "Voulez-vous ouvrir le Panneau de configuration pour régler les paramètres audio (carte son) "
      "de votre ordinateur ?" },

    { TXT_CDMUSIC_TITLE, "Musique CD" },
    { TXT_CDMUSIC_INTRO,
      "La musique de Tinfoil Tango provient du CD.\n\n"
      "Pour l'entendre, vous devez brancher votre casque ou vos haut-parleurs sur le lecteur de CD-ROM, "
      "ou relier votre lecteur de CD-ROM à une carte son et brancher le casque ou les haut-parleurs sur la carte.\n\n"
      "Voulez-vous écouter un extrait musical pour tester la configuration ?" },
    { TXT_CDMUSIC_HEAR, "Entendez-vous la musique du lecteur de CD-ROM ?" },
    { TXT_CDMUSIC_CABLE,
      "Pour entendre la musique, vous devez brancher votre casque ou vos haut-parleurs sur le lecteur de "
      "CD-ROM, ou relier votre lecteur de CD-ROM à une carte son par un câble spécial et brancher le "
      "casque ou les haut-parleurs sur la carte.\n\n"
      "Voulez-vous écouter un extrait musical pour tester la configuration ?" },
    { TXT_CD_NO_ACCESS, "Impossible d'accéder au lecteur de CD." },
    { TXT_CD_CANNOT_PLAY, "Le lecteur de CD ne peut pas lire cette piste." },

    { TXT_DIRECTX_TITLE, "Installation de DirectX 3" },
    { TXT_DIRECTX_TEXT,
      "Tinfoil Tango nécessite que DirectX 3 de Microsoft(R) soit installé sur votre ordinateur.\n\n"
      "Voulez-vous installer ce logiciel supplémentaire maintenant ? Cliquez sur \"Suivant\" pour l'installer "
      "ou sur \"Passer\" pour aller à l'étape suivante.\n\n"
      "Nous vous recommandons d'installer ce logiciel et de ne passer cette étape que si vous avez déjà "
      "installé une version récente." },
    { TXT_DIRECTX_SETUP_FAILED, "DirectX 3 n'a pas été installé correctement. Recommencer l'installation ?" },
    { TXT_DIRECTX_MISSING,
      "DirectX 3 n'a pas été installé correctement.\n\n"
      "Voulez-vous recommencer l'installation ?" },

    { TXT_GROUP_TITLE, "Groupe et icônes" },
    { TXT_GROUP_TEXT,
      "Voulez-vous créer un groupe de programmes pour accéder facilement à chaque élément du jeu ?" },
    { TXT_ITEM_SETUP, "Configuration" },
    { TXT_ITEM_UNINSTALL, "Désinstaller" },
    { TXT_ITEM_README, "Dernières informations" },

    { TXT_SYSTEM_INFORMATION, "Informations système" },
    { TXT_SYSINFO_TEXT, "Quelques informations de base sur la configuration de votre système." },
    { TXT_LABEL_VIDEO, "Carte vidéo :" },
    { TXT_LABEL_SOUND, "Carte son :" },
    { TXT_LABEL_MEMORY, "Mémoire physique :" },
    { TXT_LABEL_CDROM, "Lecteur CD-ROM :" },
    { TXT_LABEL_DIRECTX, "DirectX :" },
    { TXT_DETECTED, "Détecté" },
    { TXT_NOT_DETECTED, "Non détecté" },

    { TXT_NO_PALETTE, "Impossible de créer une palette pour l'image demandée." },
    { TXT_NO_MONOCHROME,
      "Impossible de créer un bitmap monochrome : le bitmap n'a pas de palette ou a 24 bits par pixel." },
    { TXT_NO_MIN_MEMORY, "Paramètre MIN_MEMORY absent du fichier QVX.INF." },
    { TXT_NO_TRACKS_EXPECTED, "Paramètre TRACKS_EXPECTED absent de QVX.INF." },
    { TXT_NO_INSTALLED_FILE, "Paramètre INSTALLED_FILE absent de QVX.INF." },
    { TXT_LINES_TOO_LONG, "FILELIST.TXT ou QVX.INF contient des lignes trop longues." },
} };
