/*
 * The search for an installed game by its marker file, and the bounded copies
 * it builds its paths with. Shared by Outfitter and Chooser: it needs nothing
 * but kernel32, and reports the directory it tests through a function that
 * each program provides.
 */
#ifndef SEARCH_H
#define SEARCH_H

#include <stddef.h>
#include "common/textformat.h"   /* CopyText, AppendText */

int FileExists(const char *path);
/* Whether a name holds a wildcard (* or ?): such a name is a pattern, and a
 * pattern never counts as a file that was found. */
int HasWildcard(const char *name);
/* Whether a directory entry is a symbolic link or a junction: a reparse point
 * (Wine shows a Unix symbolic link to a directory so). Such a directory leads
 * elsewhere and is neither entered nor removed. IsLinkedPath asks for a path
 * without a trailing backslash: with one, Wine answers for the target. */
int IsLinkAttribute(unsigned long attributes);
int IsLinkedPath(const char *path);

/* Provided by each program: called once for every directory tested, with the
 * directory as tested (ending with a backslash, or empty). Outfitter shows it
 * on its status line; Chooser searches silently. */
void ShowSearchStatus(const char *directory);

/* pattern is a directory followed by "*.*"; a name with a wildcard is never
 * found. */
int DirectoryHoldsFile(const char *pattern, const char *name);
/* Depth-first below directory (never directory itself); found (260 bytes)
 * gets the directory holding name, with a backslash, in upper case. Linked
 * directories are tested but not entered. */
int FindFileInTree(const char *directory, const char *name, char *found);
/* The recorded directory first, taken as written (with a backslash added when
 * it has none); then every fixed, remote and RAM drive but one that Wine maps
 * onto the host's root directory. found: 260 bytes, written only on success. */
int FindGameDirectory(const char *recorded, const char *marker, char *found);
/* The recorded directory alone, as FindGameDirectory takes it: for a run
 * without a person, which must not act on a copy found elsewhere. */
int FindRecordedGame(const char *recorded, const char *marker, char *found);

#endif
