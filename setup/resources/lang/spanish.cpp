/* Outfitter's Spanish texts. See texts.h for how to add one. */
#include "settings/texts.h"

extern const LanguageTexts spanishTexts = { 6, {
    { TXT_SETUP_CAPTION, "Configuración" },
    { TXT_COPYRIGHT_NOTICE, "Tinfoil Tango © 1997 Vornhollow Entertainment. Reservados todos los derechos." },
    { TXT_COPYING, "Copiando " },
    { TXT_SEARCHING, "Buscando " },
    { TXT_DELETING, "Borrando " },
    { TXT_TIME_LEFT, "Tiempo restante: " },

    { TXT_BACK, "< Atrás" },
    { TXT_NEXT, "Siguiente >" },
    { TXT_CANCEL, "Cancelar" },
    { TXT_YES, "Sí" },
    { TXT_NO, "No" },
    { TXT_SKIP, "Pasar" },
    { TXT_FINISH, "Final" },
    { TXT_OK, "OK" },
    { TXT_REINSTALL, "Reinstalar" },
    { TXT_CONFIGURE, "Configurar" },

    { TXT_WIN32S_REFUSED, "Tinfoil Tango no está diseñado para Win32s.\n\nAbortando programa." },
    { TXT_CONFIRM_CANCEL, "¿Seguro que quieres cancelar y salir?" },
    { TXT_ALREADY_INSTALLED,
      "Tinfoil Tango ya está instalado en el ordenador.\n\n"
      "¿Quieres volver a instalarlo, reconfigurarlo o cancelar?" },
    { TXT_INSTALL_QUESTION, "¿Quieres instalar Tinfoil Tango en tu ordenador?" },
    { TXT_UNINSTALL_QUESTION,
      "Procedimiento de desinstalación de Tinfoil Tango.\n\n"
      "¿Estás seguro que deseas eliminar este juego del disco duro?" },
    { TXT_RESTART_QUESTION,
      "Debes resetear el ordenador antes de poder jugar a Tinfoil Tango.\n\n"
      "¿Quieres resetear ahora?" },

    { TXT_NEED_486, "Se necesita un procesador 486 o superior para ejecutar este programa.\n\nAbortando programa." },
    { TXT_NOT_ENOUGH_MEMORY,
      "Insuficiente memoria para ejecutar este programa.\n\n"
      "Instalar más memoria (RAM) e intentar de nuevo." },
    { TXT_NOT_ENOUGH_SPACE,
      "Insuficiente espacio libre para instalar este programa.\n\nLiberar espacio e intentar de nuevo." },
    { TXT_LOCATION_TOO_SHORT,
      "La ubicación del subdirectorio que has dado es demasiado pequeño.\n\nInténtalo de nuevo." },
    { TXT_LOCATION_NO_DRIVE,
      "La ubicación del subdirectorio que has dado no comienza con \"X:\\\"\n"
      "(X es la letra del disco que quieres utilizar).\n\nInténtalo de nuevo." },
    { TXT_CREATE_DIRECTORY, "Este subdirectorio no existe en la actualidad. ¿Quieres crearlo?" },
    { TXT_CANNOT_CREATE_DIRECTORY,
      "La ubicación del subdirectorio que has dado no ha podido\n"
      "crearse. Posiblemente contenga caracteres incorrectos.\n\nInténtalo de nuevo." },
    { TXT_LOCATION_TOO_LONG, "La ubicación del subdirectorio que has dado es demasiado larga.\n\nInténtalo de nuevo." },
    { TXT_DRIVE_UNUSABLE_PREFIX, "No se puede utilizar la unidad " },
    { TXT_DRIVE_UNUSABLE, "\n\nInténtalo de nuevo." },
    { TXT_LOCATION_TITLE, "Ubicación de la Instalación" },
    { TXT_LOCATION_INSTALL,
      "Entra en el lugar del disco duro en el que quieras instalar Tinfoil Tango.\n\n"
      "Una vez que hayas entrado, haz clic sobre \"Próximo\" para copiar los ficheros del CD-ROM." },
    { TXT_LOCATION_UNINSTALL,
      "Entra en el lugar del disco duro en el que hayas instalado Tinfoil Tango.\n\n"
      "Una vez que hayas entrado, haz clic sobre \"Próximo\" para eliminar los ficheros del disco duro." },
    { TXT_INSTALL_DONE, "Instalación exitosa de Tinfoil Tango.\n\nPuedes continuar y comenzar a jugar." },

    { TXT_FILE_PREFIX, "El archivo " },
    { TXT_FILE_DAMAGED, " del CD está dañado" },
    { TXT_FILE_DAMAGED_WHILE, " (al copiar " },
    { TXT_FILE_BAD_DESTINATION,
      " del CD pide un destino que no está dentro del directorio del juego o es demasiado largo:\n\n" },

    { TXT_NOT_LOCATED, "No se puede situar la instalación.\n\n¿Deseas reinstalar desde el CD-ROM?" },
    { TXT_RECONFIGURE_DONE, "Tinfoil Tango ah sido reconfigurado. Puedes continuar jugando." },
    { TXT_UNINSTALL_DONE,
      "Desinstalación exitosa de Tinfoil Tango.\n\n"
      "No olvides que hay más juegos entretenidos de Vornhollow Entertainment." },
    { TXT_LIST_UNREADABLE_PREFIX, "No se puede leer el archivo " },
    { TXT_LIST_UNREADABLE,
      " del CD, o está dañado. Sin él no se sabe qué ficheros instaló Tinfoil Tango, "
      "así que no se ha borrado nada.\n\n"
      "Comprueba que el CD de Tinfoil Tango esté en la unidad y vuelve a intentarlo." },

    { TXT_SOUND_TITLE, "Tarjeta de Sonido" },
    { TXT_SOUND_DOS,
      "Para poder oír los sonidos de Tinfoil Tango, necesitarás conectar tus "
      "auriculares/altavoces a tu tarjeta de sonido. También deberás configurar tu "
      "tarjeta de sonido con un programa de configuración DOS.\n\n"
      "Haz clic sobre 'Siguiente' para llamar a este programa." },
    { TXT_SOUND_WINDOWS,
      "Para poder oír la música debes conectar tus auriculares o altavoces a una "
      "tarjeta de sonido.\n\n¿Quieres oír una muestra de música para probar la configuración?" },
    { TXT_SOUND_CONTINUE, "Haz clic sobre 'Siguiente' para continuar." },
    { TXT_NO_SOUND_DEVICE, "No hay ningún dispositivo de sonido conectado al ordenador." },
    { TXT_SAMPLE_FAILED,
      "No se podido tocar la muestra de sonido.\n\n"
      "Posiblemente no se haya instalado el programa de la tarjeta de sonido. "
      "Utiliza la opción \"Añadir Software Nuevo\" del Panel de Control para remediar esta situación." },
    { TXT_HEAR_SOUND, "¿Oyes la música de la tarjeta de sonido?" },
    { TXT_SOUND_CONTROL_PANEL,
      "Para poder oír la música debes conectar tus auriculares o altavoces directamente a una "
      "tarjeta de sonido. Además Windows debe saber que hay una tarjeta de sonido.\n\n"
      "¿Quieres ir al Panel de Control para configurar los parámetros audio (tarjeta de sonido) "
      "de tu ordenador?" },

    { TXT_CDMUSIC_TITLE, "Música CD" },
    { TXT_CDMUSIC_INTRO,
      "La música de Tinfoil Tango se origina del CD.\n\n"
      "Para poder oírla debes conectar tus auriculares o altavoces al CD-ROM o conectar tu "
      "CD-ROM a una tarjeta de sonido y conectar los auriculares o altavoces a la tarjeta.\n\n"
      "¿Quieres oír una muestra de música para probar la configuración?" },
    { TXT_CDMUSIC_HEAR, "¿Puedes oír la música del dispositivo del CD-ROM?" },
    { TXT_CDMUSIC_CABLE,
      "Para poder oír la música debes conectar tus auriculares o altavoces al CD-ROM o "
      "conectar tu CD-ROM a una tarjeta de sonido con un cable especial y conectar los "
      "auriculares o altavoces a la tarjeta.\n\n"
      "¿Quieres oír una muestra de música para probar la configuración?" },
    { TXT_CD_NO_ACCESS, "No se puede acceder al lector CD." },
    { TXT_CD_CANNOT_PLAY, "El lector CD no puede tocar esa pista." },

    { TXT_DIRECTX_TITLE, "Configuración DirectX 3" },
    { TXT_DIRECTX_TEXT,
      "Tinfoil Tango necesita que ya esté instalado en tu ordenador DirectX 3 de Microsoft(R).\n\n"
      "¿Quieres instalar este software adicional ahora? Haz clic sobre \"Próximo\" para instalar "
      "o \"Pasar\" para ir a la siguiente etapa.\n\n"
      "Recomendamos que instales el software y que sólo pases la instalación si ya has "
      "instalado una versión reciente." },
    { TXT_DIRECTX_SETUP_FAILED, "No se ha instalado correctamente DirectX 3 ¿Repetir instalación?" },
    { TXT_DIRECTX_MISSING,
      "No se ha instalado correctamente DirectX 3.\n\n"
      "¿Quieres volver a intentar la instalación?" },

    { TXT_GROUP_TITLE, "Grupo e Iconos" },
    { TXT_GROUP_TEXT,
      "¿Quieres crear un grupo de programa para poder acceder con facilidad a cada componente del juego?" },
    { TXT_ITEM_SETUP, "Configuración" },
    { TXT_ITEM_UNINSTALL, "Desinstalar" },
    { TXT_ITEM_README, "Última Información" },

    { TXT_SYSTEM_INFORMATION, "Información del Sistema" },
    { TXT_SYSINFO_TEXT, "Algunos datos básicos sobre la configuración de tu sistema." },
    { TXT_LABEL_VIDEO, "Adaptador de Vídeo:" },
    { TXT_LABEL_SOUND, "Tarjeta de Sonido:" },
    { TXT_LABEL_MEMORY, "Memoria Física:" },
    { TXT_LABEL_CDROM, "Unidad CD-ROM:" },
    { TXT_LABEL_DIRECTX, "DirectX:" },
    { TXT_DETECTED, "Detectado" },
    { TXT_NOT_DETECTED, "No Detectado" },

    { TXT_NO_PALETTE, "No se puede crear una paleta para el gráfico deseado." },
    { TXT_NO_MONOCHROME, "No se puede realizar un bitmap monocromo, el bitmap no tiene paleta o 24 bits por pixel." },
    { TXT_NO_MIN_MEMORY, "No hay parámetro MIN_MEMORY en fichero QVX.INF." },
    { TXT_NO_TRACKS_EXPECTED, "No hay parámetro TRACKS_EXPECTED en QVX.INF." },
    { TXT_NO_INSTALLED_FILE, "No hay parámetro INSTALLED_FILE en QVX.INF." },
    { TXT_LINES_TOO_LONG, "FILELIST.TXT o QVX.INF contienen líneas demasiado grandes." },
} };
