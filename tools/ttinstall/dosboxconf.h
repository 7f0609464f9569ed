/* A DOSBox configuration that starts the installed game: the directory above
 * the game directory mounted as the game's drive, the CD as the CD drive
 * (an image through imgmount, a directory as a CD-ROM), ZEPH.BAT started from
 * the game directory and DOSBox closed after it. Written for DOSBox 0.74 and
 * nothing newer: DOSBox Staging and DOSBox-X read it as it is.
 *
 * Everything that could make the configuration fail is checked by
 * PlanDosboxConf before the installation writes a byte; WriteDosboxConf then
 * only writes. No Win32. */
#ifndef DOSBOXCONF_H
#define DOSBOXCONF_H

#include <stddef.h>

enum {
    DOSBOX_PATH_SIZE = 4096,
    DOSBOX_DEFAULT_MB = 32,      /* enough for every option of the CD's QVX.INF */
    DOSBOX_MAX_MB = 63           /* the most DOSBox 0.74 gives */
};

struct DosboxConf {
    const char *file;                   /* where the configuration goes */
    char gameDrive, cdDrive;            /* 'C', 'D' */
    char driveRoot[DOSBOX_PATH_SIZE];   /* the host directory mounted as gameDrive */
    char gameDirectory[DOSBOX_PATH_SIZE];   /* "\\ZEPH": the game directory on that drive */
    char cd[DOSBOX_PATH_SIZE];          /* the CD's image (its cue sheet if it has one) or directory */
    int cdIsDirectory;
    unsigned memoryMb;                  /* memsize */
    char note[DOSBOX_PATH_SIZE + 200];  /* something the user should know, or empty */
};

/* name as DOS names it when it is a valid 8.3 name (upper-cased, not a
 * device); 0 otherwise. */
int DosShortName(const char *name, char *dosName, size_t size);

/* The installation path DIR's own name gives: "C:\\NAME" when DIR's last
 * component is a valid 8.3 name. */
int InstallPathFromDirectory(const char *gamePath, char *installPath, size_t size);

/* Works out the configuration for the game installed in gamePath, which the
 * game sees as installPath ("C:\\ZEPH"), with the CD at cdPath seen as
 * cdDrive. memoryKb is EXTENDED as the user gave it, 0 for the default. 1, or
 * 0 with the reason the configuration cannot be made (DIR's last
 * components are not installPath's, a path DOSBox cannot read, file is
 * something that is not a configuration of ours). */
int PlanDosboxConf(DosboxConf *conf, const char *file, const char *gamePath, const char *installPath,
                   char cdDrive, const char *cdPath, unsigned long memoryKb, char *reason, size_t reasonSize);

/* The extended memory, in KB, of a DOSBox given memoryMb: all of it above the
 * first megabyte. */
unsigned long DosboxExtendedKb(unsigned memoryMb);

/* Writes the configuration (and the directories it goes in), whole or not
 * at all. 1, or 0 with the reason. */
int WriteDosboxConf(const DosboxConf *conf, char *reason, size_t reasonSize);

#endif
